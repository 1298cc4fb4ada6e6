#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <cmath>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "indexdata/CsvImport.h"
#include "indexdata/IndexRecord.h"
#include "indexdata/MonthSearch.h"
#include "base/ReplaceFile.h"
#include "base/SystemFiles.h"
#include "tablecare/TableTools.h"

// ---- record count ---------------------------------------------------------

struct CountCase {
    qint64 bytes;
    Long records;
};
void PrintTo(const CountCase& c, std::ostream* os) { *os << c.bytes << " bytes"; }
class RecordCount : public ::testing::TestWithParam<CountCase> {};
TEST_P(RecordCount, RoundsHalvesToEvenAndNeverBelowOne) {
    EXPECT_EQ(recordCount(GetParam().bytes), GetParam().records) << GetParam().bytes << " bytes";
}
INSTANTIATE_TEST_SUITE_P(Sizes, RecordCount,
                         ::testing::Values(CountCase{0, 1}, CountCase{44, 1}, CountCase{45, 1},
                                           CountCase{46, 1}, CountCase{90, 1}, CountCase{135, 2},
                                           CountCase{136, 2}, CountCase{225, 2}, CountCase{226, 3},
                                           CountCase{315, 4}, CountCase{1800, 20}));

// ---- the leading-number rule and field conversion --------------------------

struct NumberCase {
    const char* text;
    double value;
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
class LeadingNumber : public ::testing::TestWithParam<NumberCase> {};
TEST_P(LeadingNumber, ReadsTheLeadingNumber) {
    EXPECT_EQ(leadingNumber(QString::fromUtf8(GetParam().text)), GetParam().value)
        << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumber,
    ::testing::Values(NumberCase{"2541", 2541}, NumberCase{"12.5", 12.5}, NumberCase{"1 0", 10},
                      NumberCase{"1\t2\n3", 123}, NumberCase{"", 0}, NumberCase{"abc", 0},
                      NumberCase{"12abc", 12}, NumberCase{"-3.25", -3.25}, NumberCase{"+7", 7},
                      NumberCase{".5", 0.5}, NumberCase{"5.", 5}, NumberCase{"1.2.3", 1.2},
                      NumberCase{"1E3", 1000}, NumberCase{"1e-2", 0.01}, NumberCase{"2D2", 200},
                      NumberCase{"2d+1", 20}, NumberCase{"3E", 3}, NumberCase{"E5", 0},
                      NumberCase{"- 4", -4}, NumberCase{"--4", 0}, NumberCase{"1,5", 1},
                      NumberCase{"\xe0\xb8\x81", 0}));

TEST(LeadingNumber, CodeZeroIsNotABlank) {
    const QString text = QString(QChar(0)) + QStringLiteral("12");
    EXPECT_EQ(leadingNumber(text), 0);
}

TEST(LeadingNumber, ExponentBeyondDoubleIsInfinite) {
    EXPECT_TRUE(std::isinf(leadingNumber(u"9E999")));
}

// Numerals of any length: what decides infinity or zero beyond the Double
// range is where the first non-zero digit stands, not the text's length.
TEST(LeadingNumber, LongNumeralsReadRightWhateverTheirLength) {
    const QString zeros309(309, QLatin1Char('0')), zeros323(323, QLatin1Char('0'));
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        QString text;
        double value;
    };
    for (const Case& c : {
             Case{QStringLiteral("1") + zeros309 + QStringLiteral("e-0"), inf},
             Case{QStringLiteral("-1") + zeros309, -inf},
             Case{QStringLiteral("0.") + zeros323 + QStringLiteral("1"), 0.0},
             Case{QStringLiteral("1") + zeros309 + QStringLiteral("e-700"), 0.0},
             Case{QStringLiteral("0.") + zeros323 + QStringLiteral("1e400"), 1e76},
             Case{QStringLiteral("1") + zeros309 + QStringLiteral("e-300"), 1e9},
             Case{QStringLiteral("0.") + zeros309 + QStringLiteral("5e310"), 5.0},
             Case{QStringLiteral("1e99999999999999999999"), inf},
             Case{QStringLiteral("-1e-99999999999999999999"), -0.0},
         }) {
        const double v = leadingNumber(c.text);
        EXPECT_EQ(v, c.value) << c.text.left(20).toStdString() << "... (" << c.text.size() << ")";
        EXPECT_EQ(std::signbit(v), std::signbit(c.value)) << c.text.left(20).toStdString();
    }
}

IndexRecord recordOf(const QByteArray& bytes) {
    RecordBytes raw{};
    std::copy(bytes.begin(), bytes.begin() + std::min<qsizetype>(bytes.size(), 90), raw.begin());
    return decodeRecord(raw);
}

TEST(ConvertRecord, YearMonthHalvesToEvenIndicesToNearestSingle) {
    const IndexValues v = convertRecord(recordOf(record({"2541  ", "12.5", "123.45", "abc"})));
    EXPECT_EQ(v.year, 2541);
    EXPECT_EQ(v.month, 12);
    EXPECT_EQ(v[IndexColumn::M], 123.45f);
    EXPECT_EQ(v[IndexColumn::S], 0.0f);
    EXPECT_EQ(convertRecord(recordOf(record({"  2541", "11.5"}))).month, 12);
    EXPECT_EQ(convertRecord(recordOf(record({"2541", "10.5"}))).month, 10);
}

TEST(ConvertRecord, AllThirteenColumnsInRecordOrder) {
    const IndexValues v = convertRecord(recordOf(record(
        {"2548", "1", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"})));
    for (int c = 0; c < kIndexColumns; ++c) EXPECT_EQ(v.col[c], c + 1.0f);
    EXPECT_EQ(v[IndexColumn::GIP], 9.0f);
    EXPECT_EQ(v[IndexColumn::PVC], 11.0f);
}

TEST(ConvertRecord, ValueBeyondSingleIsInfinite) {
    EXPECT_TRUE(std::isinf(convertRecord(recordOf(record({"2541", "1", "9E99"})))[IndexColumn::M]));
}

TEST(DecodeRecord, Tis620BytesBecomeThaiLettersAndCodeZeroStays) {
    QByteArray bytes = record({"2541"});
    bytes[6] = char(0xA1);  // ko kai
    bytes[7] = char(0xFB);  // last Thai code point
    bytes[8] = char(0x00);
    const IndexRecord rec = recordOf(bytes);
    EXPECT_EQ(rec.fields[1][0], QChar(0x0E01));
    EXPECT_EQ(rec.fields[1][1], QChar(0x0E5B));
    EXPECT_EQ(rec.fields[1][2], QChar(0));
    EXPECT_EQ(rec.fields[0], QStringLiteral("  2541"));
}

// The search compares keys read straight from the bytes: they must be the
// year and month that converting the whole record gives, for any field.
class RecordKeyMatchesConversion
    : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};
TEST_P(RecordKeyMatchesConversion, ForEveryKindOfField) {
    QByteArray bytes = record({GetParam().first, GetParam().second, "100"});
    RecordBytes raw{};
    std::copy(bytes.begin(), bytes.begin() + 90, raw.begin());
    const IndexValues whole = convertRecord(decodeRecord(raw));
    const RecordKey key = recordKey(raw);
    EXPECT_EQ(key.year, whole.year);
    EXPECT_EQ(key.month, whole.month);
}
INSTANTIATE_TEST_SUITE_P(Fields, RecordKeyMatchesConversion,
                         ::testing::Values(std::pair{"2541", "6"}, std::pair{"2541  ", "12.5"},
                                           std::pair{"", ""}, std::pair{"  25 4", "11.5"},
                                           std::pair{"1e12", "-3"}, std::pair{"\xa1\xa2", "\t7"},
                                           std::pair{"+2541", "1E1"}, std::pair{"2541\xff", ".5"},
                                           std::pair{"0.5", "2.5"}));

// The same over many fields made of what tables hold and what they should
// not: blanks, digits, signs, points, exponents, hex, tabs, line feeds,
// code 0 and Thai letters, in every mix.
TEST(RecordKeyMatchesConversion, ForManyMadeUpFields) {
    const char alphabet[] = " 0123456789  00012+-.eEdDxX\t\n\0\xa1\xb4\xff";
    unsigned state = 12345;
    const auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7fff; };
    for (int n = 0; n < 20000; ++n) {
        RecordBytes raw{};
        raw.fill(' ');
        for (int i = 0; i < 2 * kFieldLength; ++i) {
            // Mostly blanks and digits, as real tables; now and then anything.
            raw[size_t(i)] = uchar(next() % 4 ? alphabet[next() % 16] : alphabet[next() % (sizeof alphabet - 1)]);
        }
        const IndexValues whole = convertRecord(decodeRecord(raw));
        const RecordKey key = recordKey(raw);
        ASSERT_EQ(key.year, whole.year) << QByteArray(reinterpret_cast<const char*>(raw.data()), 12).toHex().constData();
        ASSERT_EQ(key.month, whole.month) << QByteArray(reinterpret_cast<const char*>(raw.data()), 12).toHex().constData();
    }
}

// ---- month search -----------------------------------------------------------

class MonthSearchTest : public ::testing::Test {
  protected:
    void open(const QByteArray& bytes) {
        folder.table(bytes);
        ASSERT_TRUE(table.open(QStringLiteral("KTABLE.DAT"), nullptr));
        records = recordCount(TableFile::length(QStringLiteral("KTABLE.DAT")));
    }
    bool search(Long month, Long year) {
        f = monthSearch(table, records, month, year);
        return f.found;
    }
    WorkingFolder folder;
    TableFile table;
    Long records = 0;
    MonthFound f;  // of the last search
};

TEST_F(MonthSearchTest, FirstMatchWins) {
    open(record({"2540", "1", "100"}) + record({"2541", "6", "111"}) +
         record({"2541", "6", "222"}));
    EXPECT_TRUE(search(6, 2541));
    EXPECT_EQ(f.recNo, 2);
    EXPECT_EQ(f.values[IndexColumn::M], 111.0f);
    EXPECT_EQ(f.record.fields[2], QStringLiteral("   111"));
}

TEST_F(MonthSearchTest, NoMatchLeavesLastRecordAndReportsEvenWithARealYear) {
    open(record({"2540", "1", "100"}) + record({"2541", "2", "222"}));
    EXPECT_FALSE(search(7, 2545));
    EXPECT_EQ(f.recNo, 3);
    EXPECT_EQ(f.values.year, 2541);
    EXPECT_EQ(f.values[IndexColumn::M], 222.0f);
}

TEST_F(MonthSearchTest, BlankLastRecordReportsAndHoldsZeros) {
    open(record({"2540", "1", "100"}) + QByteArray(90, ' '));
    EXPECT_FALSE(search(5, 2541));
    EXPECT_EQ(f.values.year, 0);
    EXPECT_EQ(f.values[IndexColumn::M], 0.0f);
}

TEST_F(MonthSearchTest, YearZeroMatchOnABlankRecordIsNoMonth) {
    open(record({"2540", "1", "100"}) + QByteArray(90, ' ') + record({"2541", "1"}));
    EXPECT_FALSE(search(0, 0));
    EXPECT_EQ(f.recNo, 2);
}

TEST_F(MonthSearchTest, ReadPastEndOfFileGivesCodeZeroFields) {
    // 46 trailing bytes count as a record whose last 44 bytes are missing.
    open(record({"2540", "1", "100"}) +
         record({"2541", "3", "5", "6", "7", "8", "9", "10"}).left(46));
    ASSERT_EQ(records, 2);
    EXPECT_TRUE(search(3, 2541));
    EXPECT_EQ(f.values[IndexColumn::C], 7.0f);  // field 5 lies inside the 46 bytes
    EXPECT_EQ(f.values[IndexColumn::F], 0.0f);  // field 8 lies beyond the end
    EXPECT_EQ(f.record.fields[14], QString(6, QChar(0)));
}

// A table longer than the search reads at a time: a month just past the
// first block is found where it is, and a month that is not there leaves
// the very last record's values, as a search record by record does.
TEST_F(MonthSearchTest, AcrossBlocksAsRecordByRecord) {
    QByteArray bytes;
    for (int i = 0; i < 4100; ++i) {
        const QByteArray y = QByteArray::number(1000 + i / 12), m = QByteArray::number(i % 12 + 1),
                         v = QByteArray::number(i % 997);
        bytes += record({y.constData(), m.constData(), v.constData()});
    }
    open(bytes);
    for (const int at : {0, 4095, 4096, 4099}) {
        EXPECT_TRUE(search(at % 12 + 1, 1000 + at / 12)) << at;
        EXPECT_EQ(f.recNo, at + 1);
        EXPECT_EQ(f.values[IndexColumn::M], Single(at % 997));
    }
    EXPECT_FALSE(search(1, 3000));
    EXPECT_EQ(f.recNo, 4101);
    EXPECT_EQ(f.values[IndexColumn::M], Single(4099 % 997));
}

// A contract's searches go through a month index read once: on every
// table (duplicates, blank records, year 0, a part of a record at the end,
// an empty one) and for every month asked, the same record, the same
// values and the same answer as reading from record 1.
TEST_F(MonthSearchTest, TheMonthIndexFindsWhatReadingFindsOnEveryTable) {
    const QByteArray tables[] = {
        record({"2540", "1", "100"}) + record({"2541", "6", "111"}) + record({"2541", "6", "222"}),
        record({"2540", "1", "100"}) + QByteArray(90, ' ') + record({"2541", "1"}),
        record({"2541", "3", "5"}) + record({"2541", "4", "6"}).left(46),
        record({"2541", "3", "5"}) + record({"2541", "4", "6"}).left(20),
        record({" 25 41", "1.5", "7"}) + record({"2541", "2"}),
        QByteArray(),
        // Records that read as months no table should hold, ahead of the
        // months they could be mistaken for: each of those must still be
        // found where it stands.
        record({"2547", "100001", "1"}) + record({"2548", "1", "2"}),
        record({"2547", "13", "1"}) + record({"2548", "1", "2"}) + record({"2547", "12", "3"}),
        record({"2548", "-99999", "1"}) + record({"2547", "1", "2"}),
        record({"-1", "100001", "1"}) + record({"0", "1", "2"}) + record({"-1", "1", "3"}),
        record({"2547", "1e5", "1"}) + record({"2548", "0", "2"}),
        record({"0", "2e9", "1"}) + record({"20000", "0", "2"}) + record({"2e9", "-2e9", "3"}),
        record({"-2e9", "2e9", "1"}) + record({"2e9", "-2e9", "2"}) + record({"9e9", "1", "3"}) +
            record({"0", "1", "4"}) + record({"-99999", "999999", "5"}),
        record({"999999", "-99999", "1"}) + record({"999998", "900001", "2"}),
    };
    const std::pair<Long, Long> fixed[] = {{1, 2540}, {6, 2541}, {1, 2541}, {2, 2541}, {3, 2541},
                                           {4, 2541}, {0, 0},    {13, 2541}, {7, 2545}};
    for (const QByteArray& bytes : tables) {
        // Every month a record of the table is read as, beside the fixed ones.
        std::vector<std::pair<Long, Long>> asked(std::begin(fixed), std::end(fixed));
        for (qsizetype at = 0; at < bytes.size(); at += kRecordLength) {
            RecordBytes r{};
            const QByteArray part = bytes.mid(at, kRecordLength);
            std::copy(part.begin(), part.end(), r.begin());
            asked.emplace_back(recordKey(r).month, recordKey(r).year);
        }
        open(bytes);
        for (const auto& [month, year] : asked) {
            const bool read = search(month, year);
            const MonthFound byReading = f;
            table.buildMonthIndex(records);
            EXPECT_EQ(search(month, year), read) << month << "/" << year;
            EXPECT_EQ(f.recNo, byReading.recNo) << month << "/" << year;
            EXPECT_EQ(f.read, byReading.read) << month << "/" << year;
            EXPECT_EQ(f.record.fields, byReading.record.fields) << month << "/" << year;
            EXPECT_EQ(f.values.col, byReading.values.col) << month << "/" << year;
            EXPECT_EQ(f.values.year, byReading.values.year);
            table.close();
            ASSERT_TRUE(table.open(QStringLiteral("KTABLE.DAT"), nullptr));
        }
    }
}

TEST_F(MonthSearchTest, EmptyTableAlwaysReports) {
    open(QByteArray());
    EXPECT_EQ(records, 1);
    EXPECT_FALSE(search(1, 2541));
    EXPECT_EQ(f.recNo, 2);
}

// ---- opening the table --------------------------------------------------------

// Created as any new file of the user's: readable by others only as the
// umask allows.
TEST(TableFile, MissingFileIsCreatedEmpty) {
    for (const auto& [mask, mode] : {std::pair<mode_t, mode_t>{022, 0644}, {077, 0600}}) {
        WorkingFolder folder;
        const mode_t before = ::umask(mask);
        TableFile table;
        const bool opened = table.open(QStringLiteral("KTABLE.DAT"), nullptr);
        ::umask(before);
        ASSERT_TRUE(opened);
        EXPECT_EQ(TableFile::length(QStringLiteral("KTABLE.DAT")), 0);
        struct stat info {};
        ASSERT_EQ(::stat("KTABLE.DAT", &info), 0);
        EXPECT_EQ(info.st_mode & 0777, mode) << std::oct << mask;
    }
}

TEST(TableFile, ADirectoryInTheWayIsAnErrorWithAReason) {
    WorkingFolder folder;
    QDir().mkdir(QStringLiteral("KTABLE.DAT"));
    TableFile table;
    QString error;
    EXPECT_FALSE(table.open(QStringLiteral("KTABLE.DAT"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(table.isOpen());
}

// Anything but a regular file is refused at once: opening a FIFO would wait
// for a writer for ever. A link to a regular file is a table like any other.
TEST(TableFile, FifoIsRefusedWithoutWaitingAndALinkIsFollowed) {
    WorkingFolder folder;
    ASSERT_EQ(mkfifo("KTABLE.DAT", 0644), 0);
    TableFile table;
    QString error;
    EXPECT_FALSE(table.open(QStringLiteral("KTABLE.DAT"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("FIFO"))) << error.toStdString();
    EXPECT_FALSE(table.isOpen());
    EXPECT_FALSE(table.open(QStringLiteral("/dev/null"), &error));

    writeFile(folder.path(QStringLiteral("real.dat")), record({"2541", "6", "100"}));
    ASSERT_TRUE(QFile::link(folder.path(QStringLiteral("real.dat")),
                            folder.path(QStringLiteral("link.dat"))));
    ASSERT_TRUE(table.open(QStringLiteral("link.dat"), &error)) << error.toStdString();
    EXPECT_EQ(convertRecord(decodeRecord(table.readRecord(1))).year, 2541);
}

TEST(TableFile, FileNumbersAreLowestFreeFirstAndReleasedOnClose) {
    WorkingFolder folder;
    TableFile a, b;
    const Integer first = TableFile::nextFreeFileNumber();
    ASSERT_TRUE(a.open(QStringLiteral("KTABLE.DAT"), nullptr));
    EXPECT_EQ(a.fileNo(), first);
    ASSERT_TRUE(b.open(QStringLiteral("KTABLE.DAT"), nullptr));
    EXPECT_EQ(b.fileNo(), first + 1);
    a.close();
    EXPECT_EQ(TableFile::nextFreeFileNumber(), first);
}

// Root ignores permission bits, so the read-only case runs in a child
// process that has given up root, as an ordinary user would be.
TEST(TableFile, ReadOnlyFolderAndFileStillOpen) {
    WorkingFolder folder;
    folder.table(record({"2541", "6", "100"}));
    QFile::setPermissions(folder.path(QStringLiteral("KTABLE.DAT")),
                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(folder.path(QString()), QFile::ReadOwner | QFile::ExeOwner |
                                                      QFile::ReadOther | QFile::ExeOther |
                                                      QFile::ReadGroup | QFile::ExeGroup);
    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        // The folder must really refuse writes now.
        QFile probe(QStringLiteral("probe"));
        if (probe.open(QIODevice::WriteOnly)) _exit(4);
        TableFile table;
        if (!table.open(QStringLiteral("KTABLE.DAT"), nullptr)) _exit(1);
        const IndexValues v = convertRecord(decodeRecord(table.readRecord(1)));
        _exit(v.year == 2541 ? 0 : 2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    QFile::setPermissions(folder.path(QString()),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// ---- replacing a file whole ------------------------------------------------------

TEST(ReplaceFile, WritesBesideAndRenamesKeepingTheMode) {
    WorkingFolder folder;
    const QString path = folder.path(QStringLiteral("out.dat"));
    writeFile(path, "old");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QString error;
    ASSERT_TRUE(replaceFile(path, "new content", &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("new content"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(folder.path(QString())).entryList(QDir::Files), QStringList{"out.dat"});
}

// Only a regular file, or a link to one, is read; everything else is said
// in Thai, and opening a FIFO does not wait for a writer.
TEST(SystemFiles, OnlyARegularFileIsOpenedToRead) {
    WorkingFolder folder;
    const QString fifo = folder.path(QStringLiteral("fifo")), file = folder.path(QStringLiteral("f")),
                  link = folder.path(QStringLiteral("link"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    writeFile(file, "bytes");
    ASSERT_TRUE(QFile::link(file, link));
    const struct {
        QString path;
        const char* says;  // empty: opened
    } cases[] = {
        {file, ""},
        {link, ""},
        {fifo, "ไม่ใช่แฟ้มธรรมดา"},
        {folder.path(QString()), "เป็นโฟลเดอร์"},
        {folder.path(QStringLiteral("none")), "ไม่มีแฟ้มหรือโฟลเดอร์นั้น"},
        {folder.path(QStringLiteral("f/x")), "ส่วนหนึ่งของชื่อแฟ้มไม่ใช่โฟลเดอร์"},
    };
    for (const auto& c : cases) {
        QFile f;
        QString why;
        const bool opened = openRegularFile(f, c.path, &why);
        EXPECT_EQ(opened, !*c.says) << c.path.toStdString();
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.says))) << why.toStdString();
        if (opened) {
            EXPECT_EQ(f.readAll(), QByteArray("bytes"));
        }
    }
}

// A replacement written in pieces: the old file stays as it was until
// commit, whatever is not committed leaves no temporary file, and what is
// committed is every byte in order (pieces larger and smaller than what is
// kept before writing out).
TEST(FileReplacement, TheOldFileUntilCommitThenEveryByte) {
    WorkingFolder folder;
    const QString path = folder.path(QStringLiteral("out.pdf"));
    QByteArray whole;
    for (int i = 0; i < 5000; ++i) whole += QByteArray::number(i) + QByteArray(i % 97, 'x');
    for (const bool commit : {false, true}) {
        writeFile(path, "old");
        {
            FileReplacement file(path);
            QString error;
            ASSERT_TRUE(file.begin(&error)) << error.toStdString();
            for (qsizetype at = 0, step = 1; at < whole.size(); at += step, step = step * 3 % 70001)
                ASSERT_TRUE(file.write(whole.constData() + at, size_t(std::min(step, whole.size() - at))));
            QFile now(path);
            ASSERT_TRUE(now.open(QIODevice::ReadOnly));
            EXPECT_EQ(now.readAll(), QByteArray("old"));
            if (commit) {
                ASSERT_TRUE(file.commit(&error)) << error.toStdString();
            }
        }
        QFile after(path);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), commit ? whole : QByteArray("old"));
        EXPECT_EQ(QDir(folder.path(QString())).entryList(QDir::Files), QStringList{"out.pdf"});
    }
}

TEST(ReplaceFile, RefusesWhatIsNotARegularFileAndLeavesItAlone) {
    WorkingFolder folder;
    const QString fifo = folder.path(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    QString error;
    EXPECT_FALSE(replaceFile(fifo, "x", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ไม่ใช่แฟ้มธรรมดา"))) << error.toStdString();
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    EXPECT_FALSE(replaceFile(folder.path(QString()), "x", &error));  // a folder
    EXPECT_FALSE(replaceFile(folder.path(QStringLiteral("none/out.dat")), "x", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ไม่มีแฟ้มหรือโฟลเดอร์นั้น"))) << error.toStdString();
    EXPECT_EQ(
        QDir(folder.path(QString())).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot),
        QStringList{"fifo"});
}

TEST(ReplaceFile, ALinkKeepsPointingAtItsReplacedTarget) {
    WorkingFolder folder;
    const QString real = folder.path(QStringLiteral("real.dat"));
    const QString link = folder.path(QStringLiteral("link.dat"));
    writeFile(real, "old");
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(replaceFile(link, "new", nullptr));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QFile f(real);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("new"));
}

TEST(ReplaceFile, ALinkToAMissingFileIsRefusedNotReplaced) {
    WorkingFolder folder;
    const QString link = folder.path(QStringLiteral("KTABLE.DAT"));
    ASSERT_TRUE(QFile::link(folder.path(QStringLiteral("gone.dat")), link));
    QString error;
    EXPECT_FALSE(replaceFile(link, "new", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ลิงก์ไปยังแฟ้มที่ไม่มีอยู่"))) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(folder.path(QStringLiteral("gone.dat"))));
}

TEST(OutputIsInput, TheSameFileByAnyNameIsRefusedNamingBoth) {
    WorkingFolder folder;
    writeFile(folder.path(QStringLiteral("c.csv")), "contract");
    writeFile(folder.path(QStringLiteral("copy.csv")), "contract");
    ASSERT_TRUE(QFile::link(folder.path(QStringLiteral("c.csv")), folder.path(QStringLiteral("soft"))));
    ASSERT_EQ(::link(QFile::encodeName(folder.path(QStringLiteral("c.csv"))).constData(),
                     QFile::encodeName(folder.path(QStringLiteral("hard"))).constData()),
              0);
    const QStringList inputs = {QStringLiteral("KTABLE.DAT"), QStringLiteral("c.csv")};
    const struct {
        const char* output;
        bool refused;
    } cases[] = {
        {"c.csv", true},     {"./c.csv", true},       {"soft", true},  {"hard", true},
        {"copy.csv", false},  // the same bytes, another file
        {"new.pdf", false},   // not there yet
    };
    for (const auto& c : cases) {
        const QString why = outputIsInput(QString::fromLatin1(c.output), inputs);
        EXPECT_EQ(!why.isEmpty(), c.refused) << c.output;
        if (c.refused) {
            EXPECT_TRUE(why.contains(QString::fromLatin1(c.output)) && why.contains(QStringLiteral("c.csv")))
                << why.toStdString();
        }
    }
}

// ---- looking after a table: list, export, check -------------------------------------

TEST(TableTools, ExportThenImportGivesTheSameBytesForAnImportedTable) {
    const CsvImport first = sampleImport();
    ASSERT_TRUE(first.ok);
    const CsvImport again = importIndexCsv(exportTable(tableRecords(first.table)));
    ASSERT_TRUE(again.ok) << again.error.toStdString();
    EXPECT_EQ(again.table, first.table);
}

TEST(TableTools, AHandKeptTableIsListedAndExportedAsItStands) {
    // Out of order, a blank field, blanks around a value, an odd field, and
    // a trailing part of 50 bytes (counted: 46 to 89 bytes are).
    const QByteArray table = record({"2549", "2", "", "  12.5", "1 0"}) +
                             record({"2548", "12", "100"}) + record({"2550", "1", "7"}).left(50);
    const std::vector<TableRecord> records = tableRecords(table);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].bytes, 50);
    EXPECT_TRUE(records[2].counted);
    const QStringList csv = exportTable(records).split(QLatin1Char('\n'));
    EXPECT_EQ(csv[0], kTableCsvHeader.join(QLatin1Char(',')));
    EXPECT_EQ(csv[1], QStringLiteral("2549,2,,12.5,1 0,,,,,,,,,,"));
    EXPECT_EQ(csv[2], QStringLiteral("2548,12,100,,,,,,,,,,,,"));
    EXPECT_EQ(csv[3], QStringLiteral("2550,1,7,,,,,,,,,,,,"));
    QBuffer buffer;
    buffer.setData(table);
    buffer.open(QIODevice::ReadOnly);
    QString listing;
    ASSERT_TRUE(listTable(buffer, [&](const QString& line) { listing += line; }, nullptr));
    const QStringList list = listing.split(QLatin1Char('\n'));
    EXPECT_TRUE(list[1].contains(QStringLiteral(" 12.5 ")));
    EXPECT_TRUE(list[1].contains(QStringLiteral(" 10 ")));  // "1 0" reads as 10
    EXPECT_TRUE(list[3].contains(QStringLiteral("ส่วนท้าย 50 ไบต์ นับเป็นระเบียน")))
        << list[3].toStdString();
    EXPECT_TRUE(tableRecords(QByteArray()).empty());
    EXPECT_TRUE(tableRecords(QByteArray(30, ' ')).front().counted);  // the count is never below 1
    EXPECT_FALSE(tableRecords(record({"2548"}) + QByteArray(30, ' ')).back().counted);
}

struct CheckCase {
    const char* name;
    QByteArray table;
    Long record;
    const char* says;
};
void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }
class TableCheck : public ::testing::TestWithParam<CheckCase> {};
TEST_P(TableCheck, ReportsByRecordNumber) {
    const std::vector<TableFinding> found = checkTable(GetParam().table);
    QStringList all;
    bool hit = false;
    for (const TableFinding& f : found) {
        all << QStringLiteral("%1: %2").arg(f.record).arg(f.text);
        // A record's finding names its month: "<month>/<year>".
        if (f.record) {
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]+/[0-9]+$")).match(f.month).hasMatch())
                << f.month.toStdString();
        }
        hit = hit || (f.record == GetParam().record &&
                      f.text.contains(QString::fromUtf8(GetParam().says)));
    }
    EXPECT_TRUE(hit) << all.join("\n").toStdString();
}
const QByteArray kGood =
    record({"2548", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1"});
INSTANTIATE_TEST_SUITE_P(
    Findings, TableCheck,
    ::testing::Values(
        CheckCase{"same month twice", kGood + kGood, 2, "ซ้ำกับระเบียนที่ 1"},
        CheckCase{"year 0", kGood + record({"", "2"}), 2, "ปีอ่านได้ 0"},
        CheckCase{"month 13", record({"2548", "13"}), 1, "เดือนอ่านได้ 13"},
        CheckCase{"not a plain number", record({"2548", "1", "12abc"}), 1,
                  "ช่อง M \"12abc\" ไม่ใช่ตัวเลขล้วน โปรแกรมอ่านได้เป็น 12"},
        CheckCase{"zero divisor", record({"2548", "1", "1", "1", "1", "1", "0"}), 1,
                  "ค่า I เป็น 0: สูตร 1, 2, 6, 7, 8, 9, 10, 11, 12, 13"},
        CheckCase{"blank divisor", record({"2548", "1"}), 1,
                  "ค่า PVC เป็น 0 (ช่องว่าง): สูตร 10, 11, 12"},
        CheckCase{"negative divisor", record({"2548", "1", "-5"}), 1, "ค่า M ติดลบ (-5)"},
        CheckCase{"beyond the Single range", record({"2548", "1", "1e39"}), 1, "ค่า M ใหญ่เกิน"},
        CheckCase{"trailing part not counted", kGood + QByteArray(10, ' '), 2, "ไม่นับเป็นระเบียน"},
        CheckCase{"trailing part counted", kGood + kGood.left(60), 2, "แต่นับเป็นระเบียน"},
        CheckCase{"byte outside the code page", kGood.left(20) + "\xFF" + kGood.mid(21), 1,
                  "0xff (ตำแหน่ง 21 ในระเบียน)"},
        CheckCase{"unassigned byte among the Thai letters", kGood.left(89) + "\xDB", 1, "0xdb"},
        CheckCase{"saved with line breaks", kGood + "\n" + kGood + "\n", 0, "tr -d"},
        CheckCase{"a lone carriage return", kGood + "\r" + kGood, 0, "tr -d"},
        CheckCase{"month 0", kGood + record({"2548", "0"}), 2, "เดือนอ่านได้ 0"},
        CheckCase{"same month three times", kGood + kGood + kGood, 3, "ซ้ำกับระเบียนที่ 1"}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(TableCheck, EveryFindingOfARecordNamesItsMonth) {
    const std::vector<TableFinding> found =
        checkTable(kGood + record({"2549", "9", "-5"}) + record({"2549", "9", "-5"}));
    ASSERT_GE(found.size(), 3u);
    for (const TableFinding& f : found)
        EXPECT_EQ(f.month, f.record == 1 ? QStringLiteral("1/2548") : QStringLiteral("9/2549"))
            << f.record << ": " << f.text.toStdString();
}

// A month's merge: corrected in place in the record the search uses,
// appended when new; later records of the month reported, never touched.
TEST(TableMerge, CorrectsInPlaceAppendsTheNewAndReportsEachMonth) {
    const QByteArray jan = record({"2548", "1", "100"}), feb = record({"2548", "2", "110"}),
                     janAgain = record({"2548", "1", "999"}), janNew = record({"2548", "1", "101"}),
                     mar = record({"2548", "3", "120"});
    const TableMerge m = mergeTable(jan + feb + janAgain, janNew + mar + feb);
    ASSERT_TRUE(m.error.isEmpty()) << m.error.toStdString();
    EXPECT_EQ(m.table, janNew + feb + janAgain + mar);
    EXPECT_EQ(m.added, 1);
    EXPECT_EQ(m.corrected, 1);
    EXPECT_EQ(m.report, QStringList({QStringLiteral("แก้เดือน 1/2548 (ระเบียนที่ 1): M 100 → 101"),
                                     QStringLiteral("ระเบียนที่ 3 ก็เป็นเดือน 1/2548 แต่การค้นหาใช้ระเบียนแรกเสมอ "
                                                    "ระเบียนนี้จึงไม่เคยถูกใช้และไม่ได้แก้"),
                                     QStringLiteral("เพิ่มเดือน 3/2548 เป็นระเบียนที่ 4"),
                                     QStringLiteral("เดือน 2/2548 (ระเบียนที่ 2): ค่าเหมือนเดิม ไม่ได้แก้")}));
    // Into an empty table, every month is added.
    EXPECT_EQ(mergeTable(QByteArray(), jan + feb).table, jan + feb);
    // Nothing is merged into a table with a part of a record at its end, nor
    // from a CSV that holds a month twice.
    EXPECT_TRUE(mergeTable(jan + feb.left(50), mar).table.isEmpty());
    EXPECT_TRUE(mergeTable(jan + feb.left(50), mar).error.contains(QStringLiteral("50 ไบต์")));
    EXPECT_TRUE(mergeTable(jan, mar + mar).error.contains(QStringLiteral("3/2548")));
}

TEST(TableMerge, AReplacementNamesTheMonthsItWouldLose) {
    const QByteArray jan = record({"2548", "1", "100"}), feb = record({"2548", "2", "110"}),
                     blank = QByteArray(kRecordLength, ' ');
    EXPECT_EQ(monthsLost(jan + feb + blank, record({"2548", "2", "1"})),
              QStringList{QStringLiteral("1/2548")});
    EXPECT_TRUE(monthsLost(jan + feb, feb + jan + record({"2549", "1"})).isEmpty());
    EXPECT_TRUE(monthsLost(QByteArray(), feb).isEmpty());
}

TEST(TableCheck, AFullTableOfGoodRecordsIsClean) {
    QByteArray table;
    for (int m = 1; m <= 12; ++m) {
        table += record({"2548", QByteArray::number(m).constData(), "1", "1", "1", "1", "1", "1",
                         "1", "1", "1", "1", "1"});
    }
    EXPECT_TRUE(checkTable(table).empty());
}
