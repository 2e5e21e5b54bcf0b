#pragma once

#include "catalogue/FileStamp.h"
#include "catalogue/NameSet.h"

#include <QString>

namespace verdane {

// The names in a folder (files and sub-folders alike, without "." and ".."),
// read again only when the folder has changed since: a look at an unchanged
// folder costs one stat(), however many files it holds.
class FolderNames {
public:
    // The names in folder as it is now; empty when it is missing or cannot be read.
    const NameSet& of(const QString& folder);

private:
    QString folder_;
    FileStamp stamp_;
    bool read_ = false;
    NameSet names_;
};

} // namespace verdane
