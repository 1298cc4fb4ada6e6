#include "indexdata/TableFile.h"

#include <QFileInfo>
#include <set>

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

bool TableFile::open(const QString& name, QString* error) {
    close();
    auto f = std::make_unique<QFile>(name);
    if (!f->exists()) {
        // Create it empty, then read it like any other table.
        QFile create(name);
        if (!create.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (error) *error = create.errorString();
            return false;
        }
        create.close();
    }
    if (QFileInfo(name).isDir()) {
        if (error) *error = QStringLiteral("เป็นโฟลเดอร์ ไม่ใช่แฟ้ม");
        return false;
    }
    if (!f->open(QIODevice::ReadOnly)) {
        if (error) *error = f->errorString();
        return false;
    }
    file_ = std::move(f);
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

void TableFile::close() {
    if (!file_) return;
    file_->close();
    file_.reset();
    fileNumbersInUse().erase(fileNo_);
}

qint64 TableFile::length(const QString& name) { return QFileInfo(name).size(); }
