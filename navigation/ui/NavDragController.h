#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>

class NavDropEngine;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QMouseEvent;
namespace Ui {
class frmNavTree;
}

// Drag and drop in the navigation window's tree, level list and page pane.
// A press with the left button on a drawer, folder, document or page, then
// a move of the platform's drag distance, starts a drag that carries the
// node's key; dragging over a node that may take it highlights the node
// without selecting it, and the tree's selection is put back when the drag
// ends. Files from the file manager are taken over folders and documents of
// the tree and the list, and over the page pane. What a drop does is left
// to the drop engine, run once the drag is over, so that its questions and
// messages never open inside the platform's drag.
class NavDragController : public QObject
{
    Q_OBJECT

public:
    NavDragController(Ui::frmNavTree &ui, QObject *parent);
    ~NavDragController() override;

    NavDropEngine *engine() const { return m_engine; }
    // The drag under way: the control it came from ("T", "L", "L2") and
    // the dragged key; empty outside a drag.
    QString DragSource() const { return m_dragSource; }
    QString DragKey() const { return m_dragKey; }
    // The node or item shown as the drop target; empty for none.
    QString highlightedKey() const { return m_highlightKey; }
    // Ends the drag: no highlight, the state cleared, the selection back,
    // then the drop that waited for the drag to end.
    void EndNavDrag();

Q_SIGNALS:
    // A drag starts (just before the platform's drag runs).
    void dragStarted(const QString &source, const QString &key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class View { None, Tree, List, Pane };
    View viewOf(const QObject *viewport) const;
    QWidget *viewWidget(View view) const;
    QString keyAt(View view, const QPoint &pos) const;
    bool mouseMoved(View view, QMouseEvent *event);
    void startDrag(View view, const QString &key);
    void dragMoved(View view, QDragMoveEvent *event);
    void dropped(View view, QDropEvent *event);
    // The target of a drop at pos, or empty when it may not take it.
    QString dropTarget(View view, const QPoint &pos, const QMimeData *data) const;
    void setHighlight(View view, const QString &key);
    void clearHighlight();
    void runAfterDrag(std::function<void()> work);

    Ui::frmNavTree &m_ui;
    NavDropEngine *m_engine;
    // The armed press: its view, position and the tree's selection then.
    View m_pressView = View::None;
    QHash<const QObject *, View> m_viewports;
    QPoint m_pressPos;
    QString m_selectionBefore;
    QString m_dragSource;
    QString m_dragKey;
    View m_highlightView = View::None;
    QString m_highlightKey;
    std::function<void()> m_afterDrag;
};
