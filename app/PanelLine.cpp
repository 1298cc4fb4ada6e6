#include "app/PanelLine.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyle>

namespace {

// A label's own way of measuring one line of text.
QRect textBox(const QFontMetrics& fm, const QString& text) {
    return fm.boundingRect(0, 0, 2000, 2000, Qt::AlignLeft | Qt::TextExpandTabs, text);
}

QString titleText(const QString& title) { return title + QLatin1Char(':'); }

// The news line as a notification: Qt's AT-SPI bridge (Qt 6.4) has no
// announcement of its own, and a screen reader speaks a notification
// when it becomes showing. The name is the line's, "ล่าสุด: ...".
QAccessibleInterface* newsInterface(const QString& className, QObject* object) {
    if (className != QLatin1String("PanelLine")) return nullptr;
    auto* line = static_cast<PanelLine*>(object);
    return line->isNews() ? new QAccessibleWidget(line, QAccessible::Notification) : nullptr;
}

}  // namespace

PanelLine::PanelLine(const QString& title, bool news, QWidget* parent)
    : QLabel(parent), title_(title), news_(news) {
    static const bool installed = (QAccessible::installFactory(newsInterface), true);
    Q_UNUSED(installed);
    setProperty("title", title_);  // which label is a panel value, for whoever looks
    setAccessibleName(title_);
}

void PanelLine::setTitleColumn(int width) { setContentsMargins(width, 0, 0, 0); }

int PanelLine::titleWidth() const { return textBox(fontMetrics(), titleText(title_)).width(); }

void PanelLine::setValue(const QString& text) {
    if (text == this->text()) return;
    // Shown afresh, the news is announced; hidden and shown within this
    // call, nothing flickers and the layout is as it was. A line that has
    // the focus keeps it: its new name is read as the focus's.
    const bool announce = news_ && !text.isEmpty() && isVisible() && !hasFocus();
    if (announce) hide();
    setWordWrap(text.size() > kUnbrokenValue);
    setText(text);
    setAccessibleName(text.isEmpty() ? title_ : title_ + QStringLiteral(": ") + text);
    if (announce) show();
}

void PanelLine::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    // Where a title label of its own would stand: at the top of the line,
    // one line high, centred as a label centres its text.
    QPainter painter(this);
    const QString title = titleText(title_);
    const QRect box(0, contentsRect().top(), contentsRect().left(), textBox(fontMetrics(), title).height());
    style()->drawItemText(&painter, box,
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs | Qt::TextForceLeftToRight,
                          palette(), isEnabled(), title, foregroundRole());
}
