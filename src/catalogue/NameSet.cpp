#include "catalogue/NameSet.h"

#include <QHashFunctions>

namespace verdane {

namespace {

std::uint32_t hashOf(QStringView name)
{
    return static_cast<std::uint32_t>(qHash(name, 0));
}

} // namespace

void NameSet::clear()
{
    // Both keep their storage for the next fill.
    names_.resize(0);
    std::fill(slots_.begin(), slots_.end(), Slot());
    size_ = 0;
}

std::size_t NameSet::find(QStringView name, std::uint32_t hash) const
{
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.offset < 0 || (slot.hash == hash && nameOf(slot) == name))
            return at;
    }
}

bool NameSet::insert(QStringView name)
{
    // At most half full, so probe runs stay short.
    if (static_cast<std::size_t>(size_ + 1) * 2 > slots_.size())
        grow();
    const std::uint32_t hash = hashOf(name);
    Slot& slot = slots_[find(name, hash)];
    if (slot.offset >= 0)
        return false;
    slot = {hash, static_cast<std::uint32_t>(name.size()), names_.size()};
    names_.append(name);
    ++size_;
    return true;
}

bool NameSet::contains(QStringView name) const
{
    return size_ > 0 && slots_[find(name, hashOf(name))].offset >= 0;
}

void NameSet::grow()
{
    std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.offset >= 0)
            slots_[find(nameOf(slot), slot.hash)] = slot;
    }
}

} // namespace verdane
