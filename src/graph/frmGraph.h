#pragma once

#include "app/childform.h"
#include "graphsource.h"
#include "graphstate.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>

class QCheckBox;
class QPrinter;

namespace norva {

// The graph window's picture area: shows the picture drawn into its backing
// store and keeps it when covered and uncovered. Where the window has grown
// past the picture, the rest shows the picture's background colour.
class GraphPicture final : public QWidget
{
public:
    GraphPicture(const QImage &image, QWidget *parent);
    void setBackColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QImage &m_image;
    QColor m_back;
};

// The graph window: five series toggles over a picture of the graphs. Its
// object holds what must survive the window being closed and opened again:
// the colours, the selection, the size and the picture.
class frmGraph final : public ChildForm
{
public:
    static frmGraph &instance();

    // True while the window is open. Asking never opens it.
    bool trgShowMe() const { return mbShowMe && isLoaded(); }
    // Erases the picture to the background colour and draws the selected
    // graphs over it. A request that arrives while a drawing runs (a resize,
    // a toggle, a calculation) is carried out once that drawing has ended.
    void trGraphDraw();
    // Prints the results column and the graph on one page of printer, which
    // the caller has set up, and ends the document. Without a loaded graph
    // window since start-up the page carries the results only. False when
    // the page could not be printed completely; nothing is shown to the user.
    bool trGraphPrint(QPrinter &printer);
    // Stores the window's size and selection as settings (nothing before the
    // window has ever been loaded).
    void trRegSave();

    // The drawing state shared by the screen and the printer.
    GraphState &state() { return m_state; }
    qint16 miGraphWidth() const { return m_miGraphWidth; }
    qint16 miGraphHeight() const { return m_miGraphHeight; }
    // The picture as last drawn.
    const QImage &picture() const { return m_image; }
    // The toggle of a graph (0..4) while the window is open, else null.
    QCheckBox *chkSelectGraph(int index) const;

    // Test hook: the figures the graphs are drawn from (null: the last
    // calculation).
    static void setGraphSourceForTests(const GraphSource *source);

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload() override;

private:
    frmGraph();
    void chkSelectGraph_Click(int index);
    void SetCaptionColor(int index);
    void drawOnce();

    GraphState m_state;
    qint16 m_miGraphWidth = 0;
    qint16 m_miGraphHeight = 0;
    bool mbShowMe = false;
    bool m_drawing = false;
    bool m_redrawRequested = false;
    bool m_drawQueued = false;
    QImage m_image;

    std::array<QPointer<QCheckBox>, 5> m_chkSelectGraph;
    QPointer<GraphPicture> m_picGameRpt;
};

} // namespace norva
