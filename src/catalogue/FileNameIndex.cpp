#include "catalogue/FileNameIndex.h"

#include <QHashFunctions>

#include <algorithm>
#include <bit>

namespace verdane {

namespace {

std::uint32_t hashOf(QStringView name)
{
    return static_cast<std::uint32_t>(qHash(name, 0));
}

} // namespace

void FileNameIndex::build(const MapRecordList& records)
{
    // At most half full, so probe runs stay short.
    const std::size_t size =
        std::bit_ceil(std::max<std::size_t>(16, static_cast<std::size_t>(records.count()) * 2));
    slots_.assign(size, Slot());
    mask_ = size - 1;
    for (qsizetype i = 0; i < records.count(); ++i) {
        const QStringView name = records.undecodedAt(i).fileName();
        if (name.isEmpty())
            continue;
        const std::uint32_t hash = hashOf(name);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.index < 0) {
                slot.name = name;
                slot.hash = hash;
                slot.index = static_cast<std::int32_t>(i);
                break;
            }
            // An earlier entry has this name already: it stays the one found.
            if (slot.hash == hash && slot.name == name)
                break;
        }
    }
}

qsizetype FileNameIndex::firstWith(QStringView name) const
{
    if (slots_.empty())
        return -1;
    const std::uint32_t hash = hashOf(name);
    for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
        const Slot& slot = slots_[at];
        if (slot.index < 0)
            return -1;
        if (slot.hash == hash && slot.name == name)
            return slot.index;
    }
}

} // namespace verdane
