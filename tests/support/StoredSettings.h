#pragma once

#include <QByteArray>
#include <QString>

namespace verdane::test {

// The ClientPath of a group ("War3", "Tools"), through the real settings file.
QString storedPath(const QString& group);
bool storePath(const QString& group, const QString& path);

// Makes a folder refuse new files and renames for its lifetime: mode 0555 and,
// for root (whom modes do not stop), the file system's immutable flag.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // False when this system let a file be created anyway.
    bool effective() const { return effective_; }

private:
    bool setImmutable(bool on) const;

    QByteArray path_;
    bool immutable_ = false;
    bool effective_ = false;
};

} // namespace verdane::test
