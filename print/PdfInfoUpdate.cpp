#include "print/PdfInfoUpdate.h"

#include <zlib.h>

#include <QRegularExpression>
#include <algorithm>

namespace {

// How much of the document's end is kept: the trailer and startxref of
// Cairo's document are its last 150 bytes or so.
constexpr qsizetype kTail = 2048;

}  // namespace

// A raw deflate stream (no zlib header or checksum), with the Adler-32 and
// length of what went in, so that pieces compressed apart can be joined
// into one zlib stream: each piece but the last ends on a byte boundary
// (a sync flush) and refers back only into itself.
struct PdfInfoUpdate::Deflated {
    z_stream z{};
    QByteArray out;
    uLong adler = ::adler32(0, nullptr, 0);
    uLong length = 0;
    bool ok = false;

    Deflated() { ok = deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
    ~Deflated() { deflateEnd(&z); }

    void feed(const QByteArray& data, int flush) {
        adler =
            ::adler32(adler, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
        length += uLong(data.size());
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
        z.avail_in = uInt(data.size());
        char buffer[16384];
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            if (::deflate(&z, flush) == Z_STREAM_ERROR) ok = false;
            out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
        } while (z.avail_out == 0);
    }
};

PdfInfoUpdate::PdfInfoUpdate() = default;
PdfInfoUpdate::~PdfInfoUpdate() = default;

void PdfInfoUpdate::see(const char* data, size_t size) {
    size_ += qint64(size);
    if (size >= size_t(kTail)) {
        tail_ = QByteArray(data + size - size_t(kTail), kTail);
        return;
    }
    tail_.append(data, qsizetype(size));
    if (tail_.size() > 2 * kTail) tail_.remove(0, tail_.size() - kTail);
}

bool PdfInfoUpdate::empty() const { return !body_; }

QByteArray PdfInfoUpdate::pdfString(const QString& text) {
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7F;
    });
    QByteArray bytes;
    if (ascii) {
        bytes = text.toLatin1();
    } else {
        bytes = QByteArray("\xFE\xFF", 2);
        for (QChar c : text) bytes.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    QByteArray out = "(";
    for (char b : bytes) {
        switch (b) {
            case '(':
                out += "\\(";
                break;
            case ')':
                out += "\\)";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;  // a line end inside would read as LF
            case '\r':
                out += "\\r";
                break;
            default:
                out += b;
        }
    }
    return out + ')';
}

void PdfInfoUpdate::add(const QByteArray& key, const QString& value) {
    if (!body_) body_ = std::make_unique<Deflated>();
    body_->feed('/' + key + ' ' + pdfString(value) + '\n', Z_NO_FLUSH);
}

QByteArray PdfInfoUpdate::update(const QByteArray& standard) {
    if (!body_ || !body_->ok) return QByteArray();
    // The document's own trailer: its size, catalogue and cross-reference.
    const QString tail = QString::fromLatin1(tail_);
    const qsizetype trailer = tail.lastIndexOf(QStringLiteral("trailer"));
    if (trailer < 0) return QByteArray();
    static const QRegularExpression sizeRe(QStringLiteral("/Size\\s+(\\d+)")),
        rootRe(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)")),
        startRe(QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$"));
    const auto size = sizeRe.match(tail, trailer), root = rootRe.match(tail, trailer),
               start = startRe.match(tail, trailer);
    if (!size.hasMatch() || !root.hasMatch() || !start.hasMatch()) return QByteArray();
    const qint64 objects = size.captured(1).toLongLong();
    const qint64 stream = objects, info = objects + 1, xref = objects + 2;

    // The object stream: its header names the dictionary (object `info`)
    // at offset 0 after it; the entries added are compressed already.
    const QByteArray header = QByteArray::number(info) + " 0\n";
    const QByteArray prefix = header + "<< " + standard + '\n', suffix = ">>\n";
    body_->feed(QByteArray(), Z_SYNC_FLUSH);
    Deflated head, end;
    head.feed(prefix, Z_SYNC_FLUSH);
    end.feed(suffix, Z_FINISH);
    if (!head.ok || !end.ok || !body_->ok) return QByteArray();
    const uLong adler =
        adler32_combine(adler32_combine(head.adler, body_->adler, z_off_t(body_->length)),
                        end.adler, z_off_t(end.length));
    QByteArray data("\x78\x9C", 2);  // zlib: deflate, 32 KB window, default level
    data += head.out + body_->out + end.out;
    for (int shift = 24; shift >= 0; shift -= 8) data += char((adler >> shift) & 0xFF);

    QByteArray u;
    const qint64 streamAt = size_;
    u += QByteArray::number(stream) + " 0 obj\n<< /Type /ObjStm /N 1 /First " +
         QByteArray::number(header.size()) + " /Filter /FlateDecode /Length " +
         QByteArray::number(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\n";
    const qint64 xrefAt = size_ + u.size();
    const int width = xrefAt < (qint64(1) << 32) ? 4 : 8;
    QByteArray entries;
    const auto entry = [&](int type, qint64 field, int index) {
        entries += char(type);
        for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
            entries += char((field >> shift) & 0xFF);
        entries += char(index >> 8);
        entries += char(index & 0xFF);
    };
    entry(1, streamAt, 0);  // the object stream, where it begins
    entry(2, stream, 0);    // the dictionary, the first object in it
    entry(1, xrefAt, 0);    // this cross-reference stream
    u += QByteArray::number(xref) + " 0 obj\n<< /Type /XRef /Size " + QByteArray::number(xref + 1) +
         " /Index [" + QByteArray::number(stream) + " 3] /W [1 " + QByteArray::number(width) +
         " 2] /Root " + root.captured(1).toLatin1() + " /Info " + QByteArray::number(info) +
         " 0 R /Prev " + start.captured(1).toLatin1() + " /Length " +
         QByteArray::number(entries.size()) + " >>\nstream\n" + entries +
         "\nendstream\nendobj\nstartxref\n" + QByteArray::number(xrefAt) + "\n%%EOF\n";
    return u;
}
