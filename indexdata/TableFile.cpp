#include "indexdata/TableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <algorithm>
#include <set>

#include "base/SystemFiles.h"

namespace {
std::set<Integer>& fileNumbersInUse() {
    static std::set<Integer> used;
    return used;
}
}  // namespace

TableFile::~TableFile() { close(); }

Integer TableFile::nextFreeFileNumber() {
    Integer n = 1;
    while (fileNumbersInUse().count(n)) ++n;
    return n;
}

bool TableFile::open(const QString& name, QString* error, bool create) {
    close();
    const QByteArray path = QFile::encodeName(name);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0 && errno == ENOENT && QFileInfo(name).isSymLink()) {
        if (error)
            *error = QStringLiteral("เป็นลิงก์ไปยังแฟ้มที่ไม่มีอยู่ (%1)").arg(QFileInfo(name).symLinkTarget());
        return false;
    }
    if (create && ::stat(path.constData(), &info) != 0 && errno == ENOENT) {
        // Create it empty, then read it like any other table.
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            if (error) *error = systemReason(errno);
            return false;
        }
        if (fd >= 0) ::close(fd);
    }
    auto f = std::make_unique<QFile>();
    if (!openRegularFile(*f, name, error, &seen_)) return false;
    file_ = std::move(f);
    path_ = QFileInfo(name).absoluteFilePath();
    fileNo_ = nextFreeFileNumber();
    fileNumbersInUse().insert(fileNo_);
    return true;
}

RecordBytes TableFile::readRecord(Long n) {
    RecordBytes bytes{};
    if (!file_ || n < 1) return bytes;
    const qint64 offset = static_cast<qint64>(n - 1) * kRecordLength;
    // A search reads record after record: skip the seek then, so the
    // device's read buffer survives from one record to the next.
    if (file_->pos() == offset || file_->seek(offset)) {
        file_->read(reinterpret_cast<char*>(bytes.data()), kRecordLength);
    }
    return bytes;
}

void TableFile::readRecords(Long first, Long count, QByteArray* out) {
    out->resize(qsizetype(count) * kRecordLength);
    qint64 got = 0;
    const qint64 offset = static_cast<qint64>(first - 1) * kRecordLength;
    if (file_ && first >= 1 && (file_->pos() == offset || file_->seek(offset)))
        got = std::max<qint64>(0, file_->read(out->data(), out->size()));
    std::memset(out->data() + got, 0, size_t(out->size() - got));  // past the end of the file
}

namespace {
// Year and month side by side, each in 32 bits: two records share a key only
// when a search cannot tell them apart, whatever numbers their fields hold.
quint64 monthKey(Long year, Long month) {
    static_assert(sizeof(Long) == 4);
    return quint64(quint32(year)) << 32 | quint32(month);
}
}  // namespace

void TableFile::buildMonthIndex(Long records) {
    MonthIndex index;
    index.records = records;
    constexpr Long kBlock = 4096;
    QByteArray block;
    for (Long first = 1; first <= records; first += kBlock) {
        const Long count = std::min(kBlock, records - first + 1);
        readRecords(first, count, &block);
        const auto* bytes = reinterpret_cast<const unsigned char*>(block.constData());
        for (Long i = 0; i < count; ++i) {
            const RecordKey key = recordKey(bytes + qsizetype(i) * kRecordLength);
            index.first.emplace(monthKey(key.year, key.month), first + i);  // the first stays
        }
    }
    index_ = std::move(index);
}

std::optional<Long> TableFile::indexedRecord(Long records, Long month, Long year) const {
    if (!index_ || index_->records != records) return std::nullopt;
    const auto it = index_->first.find(monthKey(year, month));
    return it == index_->first.end() ? 0 : it->second;
}

const TableFile::Decoded& TableFile::decodedRecord(Long n) {
    if (index_) {
        if (const auto it = index_->decoded.find(n); it != index_->decoded.end()) return it->second;
    }
    Decoded d;
    d.raw = decodeRecord(readRecord(n));
    d.values = convertRecord(d.raw);
    // An element of the map stays where it is while others are added.
    if (index_) return index_->decoded.emplace(n, std::move(d)).first->second;
    lastDecoded_ = std::move(d);
    return lastDecoded_;
}

void TableFile::close() {
    if (!file_) return;
    file_->close();
    file_.reset();
    path_.clear();
    seen_ = {};
    index_.reset();
    sha256_.clear();
    fileNumbersInUse().erase(fileNo_);
}

qint64 TableFile::length(const QString& name) { return QFileInfo(name).size(); }

bool TableFile::changedOnDisk() const { return file_ && !(identityAt(path_) == seen_); }

bool TableFile::reopen(QString* error) {
    auto f = std::make_unique<QFile>();
    FileIdentity seen;
    if (!openRegularFile(*f, path_, error, &seen)) return false;
    file_ = std::move(f);
    seen_ = seen;
    index_.reset();
    sha256_.clear();
    return true;
}

QString TableFile::sha256() {
    if (!file_ || !sha256_.isEmpty()) return sha256_;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // The next record read seeks to its own place.
    if (file_->seek(0) && hash.addData(file_.get()))
        sha256_ = QString::fromLatin1(hash.result().toHex());
    return sha256_;
}
