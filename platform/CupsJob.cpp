#include "platform/CupsJob.h"

#include <cups/cups.h>

#include <memory>

namespace cups {
namespace {

struct DestDeleter {
    void operator()(cups_dest_t* d) const { cupsFreeDests(1, d); }
};
using Dest = std::unique_ptr<cups_dest_t, DestDeleter>;

QString lastReason(const QString& printer) {
    return reason(cupsLastError(), printer, QString::fromUtf8(cupsLastErrorString()));
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
    const Dest dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    if (dest) return QString::fromUtf8(dest->name);
    // Without a server there is no default either: say which of the two.
    if (why) {
        http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                    1, 5000, nullptr);
        if (http) {
            httpClose(http);
            *why = reason(IPP_STATUS_ERROR_NOT_FOUND, QString(), QString());
        } else {
            *why = reason(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE, QString(),
                          QStringLiteral("%1: %2").arg(QString::fromUtf8(cupsServer()),
                                                       QString::fromUtf8(cupsLastErrorString())));
        }
    }
    return QString();
}

bool printPdf(const QByteArray& pdf, const QString& title, QString* why) {
    const Dest dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    if (!dest) {
        defaultPrinter(why);
        return false;
    }
    const QString name = QString::fromUtf8(dest->name);
    const QByteArray titleBytes = title.toUtf8();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, dest->name, titleBytes.constData(),
                                  dest->num_options, dest->options);
    if (job == 0) {
        if (why) *why = lastReason(name);
        return false;
    }
    bool sent = cupsStartDocument(CUPS_HTTP_DEFAULT, dest->name, job, titleBytes.constData(),
                                  CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE &&
                cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData(),
                                     static_cast<size_t>(pdf.size())) == HTTP_STATUS_CONTINUE;
    // Always finish: it closes the request and reads the server's answer.
    const ipp_status_t finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, dest->name);
    sent = sent && finished <= IPP_STATUS_OK_EVENTS_COMPLETE;
    if (!sent) {
        if (why) *why = lastReason(name);
        cupsCancelJob2(CUPS_HTTP_DEFAULT, dest->name, job, 0);
        return false;
    }
    return true;
}

}  // namespace cups
