#pragma once

#include "catalogue/MapRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <cstdint>
#include <iterator>
#include <vector>

namespace verdane {

// The entries of the current category in the order the query returned them.
// Records are values: the list owns its copies.
//
// A loader may leave a record's shown texts (name, explanation, picture and
// page links) as the catalogue's UTF-8 bytes: they are decoded the first time
// the record is read, so a render decodes only the rows it shows. Down_Link and
// Downloaded are always decoded. Reading decodes into the list: one thread only.
class MapRecordList {
public:
    qsizetype count() const { return records_.size(); }
    bool isEmpty() const { return records_.isEmpty(); }
    bool contains(qsizetype index) const { return index >= 0 && index < records_.size(); }

    // index must be inside the list (see contains()).
    const MapRecord& at(qsizetype index) const;
    MapRecord& operator[](qsizetype index);
    // The record as stored: its shown texts may not be decoded yet.
    const MapRecord& undecodedAt(qsizetype index) const { return records_.at(index); }
    MapRecord& undecodedAt(qsizetype index) { return records_[index]; }

    void append(const MapRecord& record);
    void append(MapRecord&& record);
    // Gives the record at index (which must be inside the list) these UTF-8
    // texts for MapName, MapExplain, Pic_Link and ExplainLink, decoded when first read.
    void setPendingTexts(qsizetype index, const std::array<QByteArrayView, 4>& texts);
    // Forgets the texts not decoded yet, before a loader sets every record's anew.
    void restartPendingTexts();
    // Keeps the first count records.
    void truncate(qsizetype count);
    void swap(MapRecordList& other) noexcept;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = MapRecord;
        using difference_type = qsizetype;
        using pointer = const MapRecord*;
        using reference = const MapRecord&;
        const_iterator(const MapRecordList* list, qsizetype index)
            : list_(list)
            , index_(index)
        {
        }
        reference operator*() const { return list_->at(index_); }
        pointer operator->() const { return &list_->at(index_); }
        const_iterator& operator++() { return ++index_, *this; }
        const_iterator operator++(int) { return {list_, index_++}; }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        const MapRecordList* list_;
        qsizetype index_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, count()}; }

private:
    struct Pending {
        qsizetype offset = -1; // into texts_; -1: decoded
        std::array<std::int32_t, 4> lengths{};
    };
    void decode(qsizetype index) const;

    mutable QList<MapRecord> records_;
    mutable std::vector<Pending> pending_;
    QByteArray texts_;
};

} // namespace verdane
