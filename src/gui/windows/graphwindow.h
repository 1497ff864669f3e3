#pragma once

#include "core/calc/resultsreport.h"
#include "core/graph/graphsource.h"
#include "core/graph/graphstate.h"
#include "gui/widgets/childwindow.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>

class QCheckBox;
class QPagedPaintDevice;

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
class GraphWindow final : public ChildWindow
{
public:
    // The window opens in area; it reads and stores its settings in settings
    // and draws the figures of source. Both outlive it.
    GraphWindow(QMdiArea *area, Settings &settings, const GraphSource &source);

    // True while the window is open. Asking never opens it.
    bool isShown() const { return m_shown && isOpen(); }
    // Erases the picture to the background colour and draws the selected
    // graphs over it, in one go.
    void redraw();
    // Prints the results column lines and the graph on one page of page (a
    // printer, a PDF file), which the caller has set up, and ends the
    // document. Without a loaded graph window since start-up the page carries
    // the results only. False when the page could not be printed completely;
    // nothing is shown to the user.
    bool print(QPagedPaintDevice &page, const QList<PrintLine> &lines);
    // Stores the window's size and selection as settings (nothing before the
    // window has ever been loaded).
    void storeSettings();

    // The drawing state shared by the screen and the printer.
    GraphState &state() { return m_state; }
    // The window's size in twips as it is remembered (GraphWidth,
    // GraphHeight): a 16-bit value, a larger size held at the largest one.
    qint16 graphWidth() const { return m_graphWidth; }
    qint16 graphHeight() const { return m_graphHeight; }
    // The picture as last drawn.
    const QImage &picture() const { return m_image; }
    // The toggle of a graph (0..4) while the window is open, else null.
    QCheckBox *graphToggle(int index) const;

protected:
    void onLoad() override;
    void onResize() override;
    void onUnload() override;

private:
    void toggleGraph(int index);
    void setCaptionColor(int index);

    Settings &m_settings;
    const GraphSource &m_source;
    GraphState m_state;
    qint16 m_graphWidth = 0;
    qint16 m_graphHeight = 0;
    bool m_shown = false;
    bool m_drawQueued = false;
    QImage m_image;

    std::array<QPointer<QCheckBox>, 5> m_graphToggles;
    QPointer<GraphPicture> m_picture;
};

} // namespace norva
