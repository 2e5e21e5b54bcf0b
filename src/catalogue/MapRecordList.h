#pragma once

#include "catalogue/MapRecord.h"

#include <QList>

namespace verdane {

// The entries of the current category in the order the query returned them.
// Records are values: the list owns its copies.
class MapRecordList {
public:
    qsizetype count() const { return records_.size(); }
    bool isEmpty() const { return records_.isEmpty(); }
    bool contains(qsizetype index) const { return index >= 0 && index < records_.size(); }

    // index must be inside the list (see contains()).
    const MapRecord& at(qsizetype index) const { return records_.at(index); }
    MapRecord& operator[](qsizetype index) { return records_[index]; }

    void append(const MapRecord& record) { records_.append(record); }
    void append(MapRecord&& record) { records_.append(std::move(record)); }
    void clear() { records_ = QList<MapRecord>(); }
    // Keeps the first count records.
    void truncate(qsizetype count) { records_.resize(qMin(count, records_.size())); }
    void swap(MapRecordList& other) noexcept { records_.swap(other.records_); }

    QList<MapRecord>::const_iterator begin() const { return records_.cbegin(); }
    QList<MapRecord>::const_iterator end() const { return records_.cend(); }

private:
    QList<MapRecord> records_;
};

} // namespace verdane
