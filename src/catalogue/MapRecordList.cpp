#include "catalogue/MapRecordList.h"

#include <QStringConverter>

#include <cstring>

namespace verdane {

const MapRecord& MapRecordList::at(qsizetype index) const
{
    decode(index);
    return records_.at(index);
}

MapRecord& MapRecordList::operator[](qsizetype index)
{
    decode(index);
    return records_[index];
}

void MapRecordList::append(const MapRecord& record)
{
    records_.append(record);
    pending_.resize(static_cast<std::size_t>(records_.size()));
}

void MapRecordList::append(MapRecord&& record)
{
    records_.append(std::move(record));
    pending_.resize(static_cast<std::size_t>(records_.size()));
}

void MapRecordList::setPendingTexts(qsizetype index, const std::array<QByteArrayView, 4>& texts)
{
    Pending& pending = pending_[static_cast<std::size_t>(index)];
    pending.offset = texts_.size();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        pending.lengths[i] = static_cast<std::int32_t>(texts[i].size());
        texts_.append(texts[i]);
    }
}

void MapRecordList::restartPendingTexts()
{
    // resize() keeps the buffer's storage for the next load.
    texts_.resize(0);
    for (Pending& pending : pending_)
        pending.offset = -1;
}

void MapRecordList::truncate(qsizetype count)
{
    records_.resize(qMin(count, records_.size()));
    pending_.resize(static_cast<std::size_t>(records_.size()));
}

void MapRecordList::swap(MapRecordList& other) noexcept
{
    records_.swap(other.records_);
    pending_.swap(other.pending_);
    texts_.swap(other.texts_);
}

void MapRecordList::decode(qsizetype index) const
{
    Pending& pending = pending_[static_cast<std::size_t>(index)];
    if (pending.offset < 0)
        return;
    MapRecord& record = records_[index];
    QString* fields[] = {&record.MapName, &record.MapExplain, &record.Pic_Link,
                         &record.ExplainLink};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    qsizetype at = pending.offset;
    for (std::size_t i = 0; i < pending.lengths.size(); ++i) {
        const QByteArrayView bytes(texts_.constData() + at, pending.lengths[i]);
        *fields[i] = decoder.decode(bytes);
        at += bytes.size();
    }
    pending.offset = -1;
}

} // namespace verdane
