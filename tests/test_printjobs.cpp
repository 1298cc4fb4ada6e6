// Print jobs against a print system that does what a real server cannot be
// made to do on cue: a spool that fails to read half-way, a document
// refused after its job was made, a job's every state. The functions that
// talk to the server are replaced (CupsLibrary::substitute); IPP messages
// are still built and read by the real library.
#include <gtest/gtest.h>

#include <cups/cups.h>

#include <QIODevice>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "print/CupsJob.h"
#include "print/CupsLibrary.h"

namespace {

// What the fake server saw and answers.
struct Server {
    std::vector<std::string> calls;
    bool printerStopped = false;
    ipp_status_t finishAnswer = IPP_STATUS_OK;
    http_status_t startAnswer = HTTP_STATUS_CONTINUE, writeAnswer = HTTP_STATUS_CONTINUE;
    ipp_status_t lastError = IPP_STATUS_OK;
    std::string lastWords;
    int jobState = IPP_JSTATE_PENDING;
    std::string jobWords;
    // Each job: "created" (no document yet), "queued" (a document ended:
    // it prints), "cancelled".
    std::map<int, std::string> jobs;
    std::vector<int> everQueued;
};
Server* server = nullptr;
const CupsLibrary* real = nullptr;

char ownConnection;  // a connection of the program's own, not the shared one
http_t* const kOwn = reinterpret_cast<http_t*>(&ownConnection);

const char* on(http_t* http) { return http == CUPS_HTTP_DEFAULT ? "shared" : "own"; }

CupsLibrary fakeLibrary() {
    CupsLibrary f = *real;
    f.cupsGetNamedDest = [](http_t*, const char*, const char*) -> cups_dest_t* {
        auto* options = new cups_option_t[2];
        options[0] = {strdup("printer-state"), strdup(server->printerStopped ? "5" : "3")};
        options[1] = {strdup("printer-state-message"), strdup(server->printerStopped ? "Paused" : "")};
        return new cups_dest_t{strdup("TarvonPDF"), nullptr, 1, 2, options};
    };
    f.cupsFreeDests = [](int, cups_dest_t* dest) {
        for (int i = 0; i < dest->num_options; ++i) {
            free(dest->options[i].name);
            free(dest->options[i].value);
        }
        delete[] dest->options;
        free(dest->name);
        delete dest;
    };
    f.cupsCreateJob = [](http_t*, const char*, const char*, int, cups_option_t*) {
        server->calls.push_back("create");
        server->jobs[7] = "created";
        return 7;
    };
    f.cupsStartDocument = [](http_t*, const char*, int, const char*, const char*, int) {
        server->calls.push_back("start");
        return server->startAnswer;
    };
    f.cupsWriteRequestData = [](http_t*, const char*, size_t) {
        server->calls.push_back("write");
        return server->writeAnswer;
    };
    f.cupsFinishDocument = [](http_t* http, const char*) {
        server->calls.push_back(std::string("finish on ") + on(http));
        if (server->jobs[7] != "created") return IPP_STATUS_ERROR_NOT_POSSIBLE;
        if (server->finishAnswer <= IPP_STATUS_OK_EVENTS_COMPLETE &&
            server->startAnswer == HTTP_STATUS_CONTINUE) {
            // Whatever was written so far is the document: it prints.
            server->jobs[7] = "queued";
            server->everQueued.push_back(7);
        }
        return server->finishAnswer;
    };
    f.cupsCancelJob2 = [](http_t* http, const char*, int id, int) {
        server->calls.push_back(std::string("cancel on ") + on(http));
        server->jobs[id] = "cancelled";
        return IPP_STATUS_OK;
    };
    f.httpConnect2 = [](const char*, int, http_addrlist_t*, int, http_encryption_t, int, int,
                        int*) { return kOwn; };
    f.httpClose = [](http_t*) {};
    f.cupsLastError = [] { return server->lastError; };
    f.cupsLastErrorString = [] { return server->lastWords.c_str(); };
    f.cupsDoRequest = [](http_t*, ipp_t* request, const char*) {
        ippDelete(request);
        ipp_t* response = ippNew();
        ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", server->jobState);
        if (!server->jobWords.empty())
            ippAddString(response, IPP_TAG_JOB, IPP_TAG_TEXT, "job-printer-state-message", nullptr,
                         server->jobWords.c_str());
        return response;
    };
    return f;
}

// A spool of `pieces` pieces, then its end or, when `fails`, a failed read.
class Spool : public QIODevice {
  public:
    Spool(int pieces, bool fails) : pieces_(pieces), fails_(fails) { open(ReadOnly | Unbuffered); }

  protected:
    qint64 readData(char* data, qint64 max) override {
        if (pieces_-- > 0) {
            std::fill(data, data + max, 'x');
            return max;
        }
        if (!fails_) return 0;
        setErrorString(QStringLiteral("Input/output error"));
        return -1;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    int pieces_;
    bool fails_;
};

class PrintJobs : public ::testing::Test {
  protected:
    void SetUp() override {
        real = CupsLibrary::get(nullptr);
        if (!real) GTEST_SKIP() << "libcups is not installed";
        server = &fake;
        functions = fakeLibrary();
        CupsLibrary::substitute(&functions);
    }
    void TearDown() override {
        CupsLibrary::substitute(nullptr);
        server = nullptr;
    }
    bool pending() const {
        for (const auto& [id, state] : fake.jobs)
            if (state == "created") return true;
        return false;
    }
    Server fake;
    CupsLibrary functions;
};

}  // namespace

// A spool that fails half-way: the job is cancelled before the document is
// ended (on a connection of its own, the shared one being in the middle of
// the document), so that no part of it is ever printed; the reason is the
// read's, not the print system's.
TEST_F(PrintJobs, ASpoolThatFailsHalfWaySubmitsNothing) {
    Spool spool(2, /*fails=*/true);
    QString why;
    const cups::Job job = cups::printPdf(spool, QStringLiteral("Tarvon"), &why);
    EXPECT_EQ(job.id, 0);
    EXPECT_TRUE(why.contains(QStringLiteral("Input/output error"))) << why.toStdString();
    EXPECT_TRUE(fake.everQueued.empty()) << "a part of the document went to the printer";
    EXPECT_EQ(fake.jobs[7], "cancelled");
    const std::vector<std::string> expected = {"create", "start", "write", "write",
                                               "cancel on own", "finish on shared"};
    EXPECT_EQ(fake.calls, expected);
}

// A server that takes the job and then refuses its document, at any step:
// the server's refusal is what the user reads, and no job is left waiting
// for a document that never comes.
TEST_F(PrintJobs, ADocumentRefusedAfterTheJobWasMadeLeavesNoPendingJob) {
    struct Case {
        const char* name;
        http_status_t start, write;
        ipp_status_t finish;
    };
    for (const Case& c : {Case{"start", HTTP_STATUS_FORBIDDEN, HTTP_STATUS_CONTINUE, IPP_STATUS_OK},
                          Case{"write", HTTP_STATUS_CONTINUE, HTTP_STATUS_REQUEST_TOO_LARGE,
                               IPP_STATUS_ERROR_INTERNAL},
                          Case{"finish", HTTP_STATUS_CONTINUE, HTTP_STATUS_CONTINUE,
                               IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED}}) {
        fake = Server();
        fake.startAnswer = c.start;
        fake.writeAnswer = c.write;
        fake.finishAnswer = c.finish;
        fake.lastError = IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED;
        fake.lastWords = "Unsupported document-format";
        Spool spool(3, /*fails=*/false);
        QString why;
        const cups::Job job = cups::printPdf(spool, QStringLiteral("Tarvon"), &why);
        EXPECT_EQ(job.id, 0) << c.name;
        EXPECT_EQ(why, cups::reason(IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED,
                                    QStringLiteral("TarvonPDF"),
                                    QStringLiteral("Unsupported document-format")))
            << c.name << ": " << why.toStdString();
        EXPECT_TRUE(why.contains(QStringLiteral("Unsupported document-format"))) << c.name;
        EXPECT_FALSE(pending()) << c.name << ": the job is left pending";
    }
}

// A queue paused when the job is sent: the job is taken with the pause
// note, and following it brings nothing more while it waits there, however
// often it is asked; a printer that stops after the job was sent, and a
// job that is held, stopped, cancelled or aborted, each fail with words.
TEST_F(PrintJobs, EveryStateOfAJobAndOnlyThePauseNoteForAPausedQueue) {
    fake.printerStopped = true;
    QString why;
    Spool empty(0, /*fails=*/false);
    const cups::Job paused = cups::printPdf(empty, QStringLiteral("Tarvon"), &why);
    ASSERT_EQ(paused.id, 7) << why.toStdString();
    EXPECT_TRUE(paused.queueStopped);
    EXPECT_TRUE(paused.note.contains(QStringLiteral("หยุดพักอยู่"))) << paused.note.toStdString();
    for (int i = 0; i < 3; ++i) {
        QString more;
        EXPECT_EQ(cups::jobOutcome(paused, &more), cups::Outcome::Waiting);
        EXPECT_TRUE(more.isEmpty()) << more.toStdString();
    }

    cups::Job sent = paused;
    sent.queueStopped = false;
    sent.note.clear();
    struct Case {
        int state;
        bool printerStopped;
        cups::Outcome outcome;
        const char* says;
    };
    for (const Case& c :
         {Case{IPP_JSTATE_COMPLETED, false, cups::Outcome::Printed, ""},
          Case{IPP_JSTATE_PENDING, false, cups::Outcome::Waiting, ""},
          Case{IPP_JSTATE_PROCESSING, false, cups::Outcome::Waiting, ""},
          Case{IPP_JSTATE_PENDING, true, cups::Outcome::Failed, "หยุดทำงาน"},
          Case{IPP_JSTATE_HELD, false, cups::Outcome::Failed, "พักงานพิมพ์หมายเลข 7"},
          Case{IPP_JSTATE_STOPPED, false, cups::Outcome::Failed, "หยุดงานพิมพ์หมายเลข 7"},
          Case{IPP_JSTATE_CANCELED, false, cups::Outcome::Failed, "ถูกยกเลิก"},
          Case{IPP_JSTATE_ABORTED, false, cups::Outcome::Failed, "ล้มเลิกงานพิมพ์หมายเลข 7"}}) {
        fake.jobState = c.state;
        fake.printerStopped = c.printerStopped;
        fake.jobWords = c.outcome == cups::Outcome::Failed ? "backend said why" : "";
        QString words;
        EXPECT_EQ(cups::jobOutcome(sent, &words), c.outcome) << c.state;
        EXPECT_TRUE(words.contains(QString::fromUtf8(c.says))) << c.state << ": " << words.toStdString();
        if (c.outcome == cups::Outcome::Failed && !c.printerStopped) {
            EXPECT_TRUE(words.contains(QStringLiteral("backend said why"))) << words.toStdString();
        }
    }
}
