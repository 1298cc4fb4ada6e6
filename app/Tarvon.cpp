#include "app/Tarvon.h"

#include "entry/Entry.h"
#include "entry/Replies.h"
#include "escalation/Arithmetic.h"
#include "escalation/Formulas.h"
#include "escalation/Sheet.h"

const QString Tarvon::kTableName = QStringLiteral("KTABLE.DAT");
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
    st_.lngRecCount = recordCount(TableFile::length(kTableName), st_.lngRecLen);
    st_.intFormulaNo = 1;
    ui_.setCaption(caption(st_.intFormulaNo));
    return true;
}

void Tarvon::enterBidOpening() { ::enterBidOpening(st_, table_, ui_); }

void Tarvon::enterInstallment() { ::enterInstallment(st_, table_, ui_); }

void Tarvon::chooseFormula() {
    if (!askInteger(ui_, kFormulaPrompt, st_.intFormulaNo)) return;
    ui_.setCaption(caption(st_.intFormulaNo));
}

void Tarvon::printSheet() {
    const QString notPrinted = QStringLiteral("\nจึงไม่ได้พิมพ์รายการคำนวณ");
    QString why;
    Printer* printer = ui_.printer(&why);
    if (!printer) {
        ui_.msgBox(why + notPrinted);
        return;
    }
    printer->setFontName(QStringLiteral("Browallia New"));
    printer->setFontSize(16);
    if (const FormulaDef* def = formulaDefinition(st_.intFormulaNo)) {
        // Never another month's indices under the date that was typed.
        const QString missing = missingIndexMonth(st_);
        if (!missing.isEmpty()) {
            ui_.msgBox(missing + notPrinted);
            return;
        }
        try {
            ::printSheet(*def, st_, *printer);
        } catch (const CalcError& e) {
            // Nothing of an unfinished sheet reaches paper or a later sheet.
            printer->discardDoc();
            ui_.msgBox(e.message() + notPrinted);
            return;
        }
    }
    QString error;
    if (!printer->endDoc(&error)) {
        ui_.msgBox(QStringLiteral("พิมพ์รายการคำนวณไม่สำเร็จ: ") + error);
    } else if (const QString note = printer->note(); !note.isEmpty()) {
        ui_.msgBox(note);
    }
}

void Tarvon::quit() {
    table_.close();
    ui_.endProgram();
}
