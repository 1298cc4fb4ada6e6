// A scripted stand-in for the window's platform: replies are queued in
// advance (nullopt is Cancel), and every prompt, message, beep, caption and
// printed statement is recorded for the test to check.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "entry/Platform.h"

class FakePrinter : public Printer {
  public:
    void setFontName(const QString& name) override { fontName = name; }
    void setFontSize(double points) override { fontSize = points; }
    void print(const print::Statement& s) override { pending.push_back(s); }
    bool endDoc(QString* error) override {
        ++endDocs;
        const bool ok = failure.isEmpty();
        if (ok && !pending.empty()) jobs.push_back(pending);
        if (!ok && error) *error = failure;
        pending.clear();
        return ok;
    }
    void discardDoc() override {
        ++discards;
        pending.clear();
    }

    // Plain texts (column stops left out) of the statements of a document.
    static QStringList texts(const std::vector<print::Statement>& doc) {
        QStringList out;
        for (const auto& s : doc) out << print::plainText(s);
        return out;
    }

    QString fontName;
    double fontSize = 0;
    std::vector<print::Statement> pending;
    std::vector<std::vector<print::Statement>> jobs;
    int endDocs = 0;
    int discards = 0;
    QString failure;  // when set, every document fails with this reason
    QString where;    // what sentTo says after a document that reached it
    QString sentTo() const override { return endDocs && failure.isEmpty() ? where : QString(); }
    bool keepsFacts() const override { return true; }
    void sheetFacts(const QString& line) override { facts << line; }
    QStringList facts;  // every sheet's, in the order printed
};

class FakePlatform : public Platform {
  public:
    std::optional<QString> inputBox(const QString& prompt) override {
        prompts << prompt;
        events << QStringLiteral("prompt:") + prompt;
        if (replies.empty()) {
            ADD_FAILURE() << "unexpected prompt: " << prompt.toStdString();
            return std::nullopt;
        }
        const bool cancel = !replies.front().has_value();
        const QString text = replies.front().value_or(QString());
        replies.pop_front();
        if (cancel) return std::nullopt;
        return text;
    }
    void msgBox(const QString& text) override {
        messages << text;
        events << QStringLiteral("msg:") + text;
    }
    void beep() override {
        ++beeps;
        events << QStringLiteral("beep");
    }
    void setCaption(const QString& c) override { caption = c; }
    Printer* printer(QString* why) override {
        if (hasPrinter) return &printerDevice;
        if (why) *why = QStringLiteral("no printer");
        return nullptr;
    }
    void endProgram() override { ended = true; }
    void notice(const QString& text) override {
        notices << text;
        events << QStringLiteral("notice:") + text;
    }
    std::optional<QString> askPdfPath(const QString& suggested) override {
        suggestedPdf = suggested;
        return pdfPath;
    }
    Printer* pdfPrinter(const QString& path) override {
        pdfPrinterPath = path;
        return &pdfDevice;
    }

    // Queues replies; std::nullopt stands for Cancel.
    FakePlatform& reply(std::initializer_list<std::optional<QString>> rs) {
        replies.insert(replies.end(), rs.begin(), rs.end());
        return *this;
    }

    std::deque<std::optional<QString>> replies;
    QStringList prompts, messages, events;
    int beeps = 0;
    QString caption;
    bool ended = false;
    bool hasPrinter = true;
    FakePrinter printerDevice;
    QStringList notices;
    std::optional<QString> pdfPath;  // the file the user picks; nullopt: Cancel
    QString suggestedPdf, pdfPrinterPath;
    FakePrinter pdfDevice;
};
