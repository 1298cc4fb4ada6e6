// Sends a finished PDF to the system's default printer through the print
// system's own interface (libcups), so that its answer reaches the user:
// a queue that rejects jobs, a server that cannot be reached, a printer
// that is gone. After submission a job can still fail (a paused queue, a
// printer that stops, a job aborted or cancelled): jobOutcome tells, for
// the caller to follow the job without blocking.
#pragma once

#include <QIODevice>
#include <QString>

namespace cups {

// The default printer's name, or an empty text with the Thai reason in
// `why` (no default printer, or the print system cannot be reached).
QString defaultPrinter(QString* why);

struct Job {
    QString printer;
    int id = 0;             // 0: not submitted
    bool queueStopped = false;  // the queue was paused when the job was sent
    QString note;           // Thai, for the user: the job waits in a paused queue
};

// Submits the PDF read from `pdf` as one job; id 0 with the Thai reason in
// `why` when the print system did not take it.
Job printPdf(QIODevice& pdf, const QString& title, QString* why);

enum class Outcome { Waiting, Printed, Failed };

// Where a submitted job stands: Failed (with the print system's reason in
// `why`) when it was held, stopped, aborted or cancelled, or when its
// printer stopped after it was sent while the job still waits.
Outcome jobOutcome(const Job& job, QString* why);

// The Thai reason for an IPP status of the print system (`status` is an
// ipp_status_t), naming the printer where there is one; `detail` is the
// system's own words, kept for the cases the reason cannot name.
QString reason(int status, const QString& printer, const QString& detail);

}  // namespace cups
