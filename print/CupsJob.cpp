#include "print/CupsJob.h"

#include "print/CupsLibrary.h"

#include <cstdlib>
#include <memory>

namespace cups {
namespace {

// The library, once a public function below has made sure it is there.
const CupsLibrary& lib() { return *CupsLibrary::get(nullptr); }

struct DestDeleter {
    void operator()(cups_dest_t* d) const { lib().cupsFreeDests(1, d); }
};
using Dest = std::unique_ptr<cups_dest_t, DestDeleter>;

QString lastReason(const QString& printer) {
    return reason(lib().cupsLastError(), printer, QString::fromUtf8(lib().cupsLastErrorString()));
}

}  // namespace

QString reason(int status, const QString& printer, const QString& detail) {
    const QString name = printer.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(printer);
    switch (static_cast<ipp_status_t>(status)) {
        case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
            return QStringLiteral("เครื่องพิมพ์%1 ไม่รับงานพิมพ์ (คิวงานพิมพ์ถูกปิดรับงานไว้)").arg(name);
        case IPP_STATUS_ERROR_NOT_FOUND:
            return printer.isEmpty() ? QStringLiteral("ไม่พบเครื่องพิมพ์ที่ตั้งไว้เป็นค่าเริ่มต้น")
                                     : QStringLiteral("ไม่พบเครื่องพิมพ์%1 ในระบบการพิมพ์").arg(name);
        case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        case IPP_STATUS_ERROR_DEVICE:
        case IPP_STATUS_ERROR_TEMPORARY:
            if (printer.isEmpty()) return QStringLiteral("ติดต่อระบบการพิมพ์ไม่ได้ (%1)").arg(detail);
            return QStringLiteral("ติดต่อเครื่องพิมพ์%1 ไม่ได้ (%2)").arg(name, detail);
        case IPP_STATUS_ERROR_FORBIDDEN:
        case IPP_STATUS_ERROR_NOT_AUTHORIZED:
        case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
            return QStringLiteral("ระบบการพิมพ์ไม่อนุญาตให้พิมพ์ที่เครื่องพิมพ์%1 (%2)").arg(name, detail);
        default:
            return QStringLiteral("ระบบการพิมพ์ไม่รับงานพิมพ์ที่เครื่องพิมพ์%1 (%2)").arg(name, detail);
    }
}

QString defaultPrinter(QString* why) {
    if (!CupsLibrary::get(why)) return QString();
    const Dest dest(lib().cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    if (dest) return QString::fromUtf8(dest->name);
    // Without a server there is no default either: say which of the two.
    if (why) {
        http_t* http = lib().httpConnect2(lib().cupsServer(), lib().ippPort(), nullptr, AF_UNSPEC, lib().cupsEncryption(),
                                    1, 5000, nullptr);
        if (http) {
            lib().httpClose(http);
            *why = reason(IPP_STATUS_ERROR_NOT_FOUND, QString(), QString());
        } else {
            *why = reason(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE, QString(),
                          QStringLiteral("%1: %2").arg(QString::fromUtf8(lib().cupsServer()),
                                                       QString::fromUtf8(lib().cupsLastErrorString())));
        }
    }
    return QString();
}

namespace {

// The printer's state as the print system reports it: whether it is
// stopped (paused, or halted by an error) and its own words for why.
bool printerStopped(const char* name, QString* message) {
    const Dest dest(lib().cupsGetNamedDest(CUPS_HTTP_DEFAULT, name, nullptr));
    if (!dest) return false;
    const char* state = lib().cupsGetOption("printer-state", dest->num_options, dest->options);
    const char* text = lib().cupsGetOption("printer-state-message", dest->num_options, dest->options);
    if (message) *message = QString::fromUtf8(text ? text : "");
    return state && std::atoi(state) == IPP_PSTATE_STOPPED;
}

QString stoppedNote(const QString& printer, const QString& message) {
    return QStringLiteral("เครื่องพิมพ์ \"%1\" หยุดพักอยู่%2: รายการคำนวณรออยู่ในคิวงานพิมพ์ "
                          "และจะพิมพ์เมื่อเปิดใช้เครื่องพิมพ์อีกครั้ง")
        .arg(printer, message.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(message));
}

// Cancels job `id` on a connection of its own: the shared one may be in
// the middle of a document, or closed by a server that refused one.
void cancelJob(const char* printer, int id) {
    http_t* http = lib().httpConnect2(lib().cupsServer(), lib().ippPort(), nullptr, AF_UNSPEC,
                                      lib().cupsEncryption(), 1, 5000, nullptr);
    if (!http) return;
    lib().cupsCancelJob2(http, printer, id, 0);
    lib().httpClose(http);
}

}  // namespace

Job printPdf(QIODevice& pdf, const QString& title, QString* why) {
    Job job;
    if (!CupsLibrary::get(why)) return job;
    const Dest dest(lib().cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    if (!dest) {
        defaultPrinter(why);
        return job;
    }
    job.printer = QString::fromUtf8(dest->name);
    QString message;
    job.queueStopped = printerStopped(dest->name, &message);
    const QByteArray titleBytes = title.toUtf8();
    const int id = lib().cupsCreateJob(CUPS_HTTP_DEFAULT, dest->name, titleBytes.constData(),
                                 dest->num_options, dest->options);
    if (id == 0) {
        if (why) *why = lastReason(job.printer);
        return job;
    }
    bool sent = lib().cupsStartDocument(CUPS_HTTP_DEFAULT, dest->name, id, titleBytes.constData(),
                                  CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    // In pieces: a contract's PDF need not fit in memory.
    char piece[65536];
    qint64 n = 0;
    while (sent && (n = pdf.read(piece, sizeof piece)) > 0)
        sent = lib().cupsWriteRequestData(CUPS_HTTP_DEFAULT, piece, size_t(n)) == HTTP_STATUS_CONTINUE;
    if (sent && n < 0) {
        // The server takes the document only once it is ended: the job goes
        // first, so that no part of a sheet can come out. This connection
        // is in the middle of the document, so the cancel goes on another.
        cancelJob(dest->name, id);
        lib().cupsFinishDocument(CUPS_HTTP_DEFAULT, dest->name);
        if (why)
            *why = QStringLiteral("อ่านรายการคำนวณที่เตรียมไว้สำหรับพิมพ์ไม่ได้ (%1) จึงยกเลิกงานพิมพ์")
                       .arg(pdf.errorString());
        return job;
    }
    // Always finish: it closes the request and reads the server's answer.
    const ipp_status_t finished = lib().cupsFinishDocument(CUPS_HTTP_DEFAULT, dest->name);
    sent = sent && finished <= IPP_STATUS_OK_EVENTS_COMPLETE;
    if (!sent) {
        if (why) *why = lastReason(job.printer);
        cancelJob(dest->name, id);  // not left waiting for a document
        return job;
    }
    job.id = id;
    if (job.queueStopped) job.note = stoppedNote(job.printer, message);
    return job;
}

Outcome jobOutcome(const Job& job, QString* why) {
    if (!CupsLibrary::get(why)) return Outcome::Failed;
    ipp_t* request = lib().ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    lib().httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/jobs/%d", job.id);
    lib().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    lib().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 lib().cupsUser());
    static const char* const wanted[] = {"job-state", "job-printer-state-message",
                                         "job-state-reasons"};
    lib().ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3,
                  nullptr, wanted);
    ipp_t* response = lib().cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (!response) return Outcome::Waiting;  // asked again later
    ipp_attribute_t* stateAttr = lib().ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
    const int state = stateAttr ? lib().ippGetInteger(stateAttr, 0) : IPP_JSTATE_PENDING;
    QString detail;
    if (ipp_attribute_t* m =
            lib().ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT))
        detail = QString::fromUtf8(lib().ippGetString(m, 0, nullptr));
    if (detail.isEmpty()) {
        if (ipp_attribute_t* r = lib().ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD))
            detail = QString::fromUtf8(lib().ippGetString(r, 0, nullptr));
    }
    lib().ippDelete(response);
    const QString name = QStringLiteral("\"%1\"").arg(job.printer);
    const QString because = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
    if (state == IPP_JSTATE_COMPLETED) return Outcome::Printed;
    // %1 the job, %2 the printer, %3 the print system's words. Nobody here
    // holds jobs: a held one was held by the print system after its printer
    // failed to take it, to try again later.
    QString failed;
    switch (state) {
        case IPP_JSTATE_HELD:
            failed = QStringLiteral("ระบบการพิมพ์พักงานพิมพ์หมายเลข %1 ที่เครื่องพิมพ์ %2 ไว้%3: "
                                    "งานนั้นค้างอยู่ในคิวงานพิมพ์และยังไม่ได้พิมพ์");
            break;
        case IPP_JSTATE_STOPPED:
            failed = QStringLiteral("ระบบการพิมพ์หยุดงานพิมพ์หมายเลข %1 ที่เครื่องพิมพ์ %2%3");
            break;
        case IPP_JSTATE_CANCELED:
            failed = QStringLiteral("งานพิมพ์หมายเลข %1 ที่เครื่องพิมพ์ %2 ถูกยกเลิก%3");
            break;
        case IPP_JSTATE_ABORTED:
            failed = QStringLiteral("ระบบการพิมพ์ล้มเลิกงานพิมพ์หมายเลข %1 ที่เครื่องพิมพ์ %2%3");
            break;
        default:
            break;
    }
    if (!failed.isEmpty()) {
        if (why) *why = failed.arg(job.id).arg(name, because);
        return Outcome::Failed;
    }
    // Still waiting: fine, unless the printer stopped after the job was sent.
    QString message;
    if (!job.queueStopped && printerStopped(job.printer.toUtf8().constData(), &message)) {
        if (why)
            *why = QStringLiteral("เครื่องพิมพ์ %1 หยุดทำงาน%2: งานพิมพ์หมายเลข %3 ค้างอยู่ในคิวงานพิมพ์ "
                                  "และยังไม่ได้พิมพ์")
                       .arg(name, message.isEmpty() ? because : QStringLiteral(" (%1)").arg(message))
                       .arg(job.id);
        return Outcome::Failed;
    }
    return Outcome::Waiting;
}

}  // namespace cups
