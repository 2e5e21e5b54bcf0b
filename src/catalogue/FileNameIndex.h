#pragma once

#include "catalogue/MapRecordList.h"

#include <QStringView>

#include <cstdint>
#include <vector>

namespace verdane {

// Finds the first entry of a list whose file has a given name, in one probe of
// an open-addressing table instead of a walk of the list. The table views the
// list's strings: it is valid until the list changes. Its storage is kept
// between builds, so rebuilding on every page render allocates nothing.
class FileNameIndex {
public:
    void build(const MapRecordList& records);
    // The index of the first entry whose file name equals name exactly, or -1.
    qsizetype firstWith(QStringView name) const;

private:
    struct Slot {
        QStringView name;
        std::uint32_t hash = 0;
        std::int32_t index = -1; // -1: empty
    };

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

} // namespace verdane
