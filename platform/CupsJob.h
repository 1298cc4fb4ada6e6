// Sends a finished PDF to the system's default printer through the print
// system's own interface (libcups), so that its answer reaches the user:
// a queue that rejects jobs, a server that cannot be reached, a printer
// that is gone. It only submits; it does not wait for the job to print.
#pragma once

#include <QByteArray>
#include <QString>

namespace cups {

// The default printer's name, or an empty text with the Thai reason in
// `why` (no default printer, or the print system cannot be reached).
QString defaultPrinter(QString* why);

// Submits `pdf` as one job; false with the Thai reason in `why`.
bool printPdf(const QByteArray& pdf, const QString& title, QString* why);

// The Thai reason for an IPP status of the print system (`status` is an
// ipp_status_t), naming the printer where there is one; `detail` is the
// system's own words, kept for the cases the reason cannot name.
QString reason(int status, const QString& printer, const QString& detail);

}  // namespace cups
