// One line of the main window's panel: a title and its value in one label,
// so that a screen reader meets one object a line and reads the title once
// with its value ("วันเปิดซอง: 15 มกราคม ..."). The value is the label's
// text (selectable with the mouse like any label's); the title is drawn in
// the label's left margin, where a column of title labels stood, so the
// panel looks as two columns. A line made as news is exposed to assistive
// technology as a notification that is shown afresh each time its text
// changes, so that a screen reader announces it. It knows nothing of what
// its texts mean.
#pragma once

#include <QLabel>

class PanelLine : public QLabel {
    Q_OBJECT
  public:
    // A value of this many characters or fewer stands on one line, so it is
    // not laid out for breaking (which costs).
    static constexpr int kUnbrokenValue = 20;

    PanelLine(const QString& title, bool news, QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    bool isNews() const { return news_; }
    // Where the values begin, from the line's left edge: the widest title
    // of the panel and the layout's spacing after it.
    void setTitleColumn(int width);
    // The width the title takes, drawn as a label would draw it.
    int titleWidth() const;
    void setValue(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString title_;
    bool news_;
};
