// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What assistive technology sees of the text box: its text, caret and
// selection, read on demand through the box's UTF-16 position map, and the
// changes as they happen. Every answer and every event costs time in
// proportion to what it carries, never to the size of the document.
//
// The interfaces count in int. A document longer than INT_MAX UTF-16 units is
// shown as its first INT_MAX units: offsets, lengths and the caret clamp to
// INT_MAX, and changes that start beyond it are not reported.
#include <QAccessibleWidget>
#include <QObject>
#include <memory>
#include <vector>

class TextBox;

class TextBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface, public QAccessibleEditableTextInterface
{
public:
    explicit TextBoxAccessible(TextBox *box);
    ~TextBoxAccessible() override;
    // The factory for the program's own accessible objects: the text box, the status bar, the windows.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                            int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // QAccessibleEditableTextInterface: through the box's own editing, so each
    // change is undoable and marks the document changed like typing does.
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    enum class Side { Before, At, After };
    struct Span {
        qint64 start, end;   // UTF-16
    };
    TextBox *box() const;
    QString decoded(qint64 from, qint64 to) const;   // the component's positions [from, to)
    // The component's position of a UTF-16 offset, and the offset of one of its positions.
    qint64 display(qint64 offset, bool nextRow = false) const;
    qint64 fromDisplay(qint64 position) const;
    QString textOf(Span s) const;
    Span item(qint64 offset, QAccessible::TextBoundaryType type, Side side) const;
    Span lineItem(qint64 offset, Side side) const;
    QString boundaryText(int offset, QAccessible::TextBoundaryType type, Side side, int *startOffset, int *endOffset) const;

    // Change reports.
    void aboutToChange(qint64 at, qint64 length, bool insertion);
    QString changeText(qint64 at, qint64 length) const;
    void closeInsertion();
    void replacedWhole();
    void queue(std::unique_ptr<QAccessibleEvent> event);
    void scheduleFlush();
    void flush();
    void forget();

    struct Insertion {
        qint64 at = -1, bytes = 0, at16 = 0;
    } m_insertion;
    std::vector<std::unique_ptr<QAccessibleEvent>> m_events;
    bool m_flushQueued = false;
    qint64 m_caret = -1, m_selStart = -1, m_selEnd = -1;
    void *m_document = nullptr;
    QObject m_context;   // the reports' connections and queued calls end with this object
};
