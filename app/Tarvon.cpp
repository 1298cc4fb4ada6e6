#include "app/Tarvon.h"

#include <QRegularExpression>

#include "base/MonthNames.h"

#include "entry/Entry.h"
#include "entry/Replies.h"
#include "escalation/Sheet.h"

const QString Tarvon::kFormulaPrompt = QStringLiteral(
    "1.อาคาร 2.ดิน 3,4,5,6.ผิวทาง 7.ท่อ 8.ท่อ AC และ PVC 9.ท่อ AC หาเอง 10.ท่อ PVC หาเอง 11.ท่อ PVC "
    "หุ้มคอนกรีต 12.ท่อ PVC กลบทราย 13.ท่ออาบสังกะสี");

QString Tarvon::caption(Integer formulaNo) {
    return QStringLiteral("สูตรหมายเลข ") +
           print::formatNumber(static_cast<Long>(formulaNo)).chopped(1);
}

bool Tarvon::Form_Load(QString* error) {
    st_.lngRecLen = kRecordLength;
    st_.intFileNo = TableFile::nextFreeFileNumber();
    QString reason;
    if (!table_.open(kTableName, &reason)) {
        if (error) {
            *error = QStringLiteral("เปิดหรือสร้างแฟ้มดัชนีราคา \"%1\" ไม่ได้: %2").arg(kTableName, reason);
        }
        return false;
    }
    st_.intFileNo = table_.fileNo();
    st_.lngRecNo = 1;
    st_.lngRecCount = recordCount(table_.size(), st_.lngRecLen);
    st_.intFormulaNo = 1;
    ui_.setCaption(caption(st_.intFormulaNo));
    return true;
}

void Tarvon::followTable() {
    if (!table_.changedOnDisk()) return;
    QString why;
    if (!table_.reopen(&why)) {
        ui_.notice(QStringLiteral("แฟ้มดัชนีราคา %1 เปลี่ยนไป แต่เปิดใหม่ไม่ได้ (%2): ยังใช้แฟ้มที่เปิดไว้เดิม")
                       .arg(table_.path(), why));
        return;
    }
    // Counted from the file now open, not from what the path names by now.
    st_.lngRecCount = recordCount(table_.size(), st_.lngRecLen);
}

void Tarvon::enterBidOpening() {
    followTable();
    if (!::enterBidOpening(st_, table_, ui_))
        ui_.notice(QStringLiteral("ยกเลิกการป้อนข้อมูลวันเปิดซองแล้ว: ข้อมูลที่ป้อนไว้ก่อนหน้านี้ยังใช้อยู่"));
}

void Tarvon::enterInstallment() {
    followTable();
    if (!::enterInstallment(st_, table_, ui_))
        ui_.notice(QStringLiteral("ยกเลิกการป้อนข้อมูลงวดงานแล้ว: ข้อมูลงวดที่ป้อนไว้ก่อนหน้านี้ยังใช้อยู่"));
}

void Tarvon::chooseFormula() {
    if (!askInteger(ui_, kFormulaPrompt, st_.intFormulaNo)) {
        ui_.notice(QStringLiteral("ยกเลิกการกำหนดสูตรแล้ว: ยังใช้สูตรหมายเลข %1").arg(st_.intFormulaNo));
        return;
    }
    ui_.setCaption(caption(st_.intFormulaNo));
}

QString Tarvon::suggestedPdfName(const CalcState& st) {
    QString name = QStringLiteral("ค่า K");
    const QString designation = trimBlanks(st.strInstallment).toString().remove(QChar(0));
    if (!designation.isEmpty()) name += QLatin1Char(' ') + designation;
    if (st.lngTYear != 0) {
        const QString month = thaiMonthName(st.lngTMonth);
        name += QStringLiteral(" %1 %2")
                    .arg(month.isEmpty() ? QString::number(st.lngTMonth) : month)
                    .arg(st.lngTYear);
    }
    static const QRegularExpression unfit(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]+"));
    return name.replace(unfit, QStringLiteral("-")).simplified() + QStringLiteral(".pdf");
}

void Tarvon::printSheet() {
    if (Printer* printer = printerOrSay(ui_, QStringLiteral("จึงไม่ได้พิมพ์รายการคำนวณ"))) printTo(*printer);
}

void Tarvon::saveSheetAsPdf() {
    const std::optional<QString> path = ui_.askPdfPath(suggestedPdfName(st_));
    Printer* printer = path ? ui_.pdfPrinter(*path) : nullptr;
    if (!printer) {
        ui_.notice(QStringLiteral("ยกเลิกการบันทึกเป็น PDF แล้ว"));
        return;
    }
    printTo(*printer);
}

void Tarvon::printTo(Printer& printer) {
    printer.setFontName(QStringLiteral("Browallia New"));
    printer.setFontSize(16);
    const SheetOutcome sheet = runSheet(st_, printer, &table_);
    // A number without a formula prints nothing, and the document still
    // ends (no page comes out); every other refusal is said.
    if (!sheet.printed() && sheet.status != SheetOutcome::Status::NoFormula) {
        ui_.msgBox(sheet.why + QStringLiteral("\nจึงไม่ได้พิมพ์รายการคำนวณ"));
        return;
    }
    QString error;
    if (!printer.endDoc(&error)) {
        ui_.msgBox(QStringLiteral("พิมพ์รายการคำนวณไม่สำเร็จ: ") + error);
    } else {
        if (const QString where = printer.sentTo(); !where.isEmpty()) ui_.notice(where);
        if (const QString note = printer.note(); !note.isEmpty()) ui_.msgBox(note);
    }
}

void Tarvon::quit() {
    table_.close();
    ui_.endProgram();
}
