#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace verdane {

// A set of names compared exactly (UTF-16 unit by unit), kept in one buffer
// with an open-addressing table over it: a million names cost two allocations,
// and a look-up is one probe run.
class NameSet {
public:
    void clear();
    // Adds name; false when it was there already.
    bool insert(QStringView name);
    bool contains(QStringView name) const;
    qsizetype size() const { return size_; }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t length = 0;
        qsizetype offset = -1; // into names_; -1: empty
    };

    QStringView nameOf(const Slot& slot) const
    {
        return {names_.constData() + slot.offset, slot.length};
    }
    // The slot holding name, or the empty one where it would go.
    std::size_t find(QStringView name, std::uint32_t hash) const;
    void grow();

    QString names_;
    std::vector<Slot> slots_;
    qsizetype size_ = 0;
};

} // namespace verdane
