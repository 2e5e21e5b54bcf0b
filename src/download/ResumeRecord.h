#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace verdane {

// What the next download needs to continue a partial file: the link it came
// from, the file it was meant for, and the validator of the first answer (its
// strong ETag, else its Last-Modified date) which the continuation sends back
// in If-Range. Kept in a small file beside the partial (see DownloadTempFile).
struct ResumeRecord {
    QByteArray url;       // as sent on the wire
    QByteArray name;      // the local file name, as stored on disk
    QByteArray validator; // "\"...\"" for an ETag, else a Last-Modified date
    qint64 length = -1;   // the whole body, -1 when the answer did not say

    bool isEtag() const { return validator.startsWith('"'); }

    QByteArray toText() const;
    // Empty unless the text is a whole record of this form.
    static std::optional<ResumeRecord> fromText(const QByteArray& text);
};

} // namespace verdane
