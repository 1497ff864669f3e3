#pragma once

#include "core/graph/drawtarget.h"

#include <QDialog>
#include <QPushButton>

#include <array>

class QCheckBox;
class QColorDialog;
class QGroupBox;
class QLabel;

namespace norva {

class DialogRunner;
class GraphWindow;
class Settings;

// A push button without caption whose face shows a colour.
class ColorButton final : public QPushButton
{
    Q_OBJECT

public:
    explicit ColorButton(QWidget *parent = nullptr);
    Color color() const { return m_color; }
    void setColor(Color color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Color m_color = 0;
};

// The options dialog: the seven graph colours and the calculation at start-up.
// The edits live in the controls until "設定(&S)" stores them; "中止(&C)"
// (or Escape) discards them. A new dialog is loaded each time it is shown.
class OptionsDialog final : public QDialog
{
    Q_OBJECT

public:
    // The dialog edits settings; saving reopens graph when it is open, so
    // that it takes the new colours. The colour dialog runs through dialogs.
    OptionsDialog(Settings &settings, GraphWindow *graph, DialogRunner &dialogs,
                  QWidget *parent = nullptr);

    // Shows a new dialog modally over parent until it is closed.
    static void showModal(Settings &settings, GraphWindow *graph, DialogRunner &dialogs,
                          QWidget *parent);

    void chooseColor(int index);
    void saveAndClose();
    void closeWithoutSaving();

    // The colour string of a colour button (0..6).
    QString colorString(int index) const;
    // Stores every edit as a setting, each on its own, and has an open graph
    // window reopened so that it takes the new colours.
    void saveOptions();

    ColorButton *colorButton(int index) const { return m_colorButtons[size_t(index)]; }
    QCheckBox *autoCalcCheck() const { return m_autoCalcCheck; }

private:
    void onLoad();

    Settings &m_settings;
    GraphWindow *m_graph;
    DialogRunner &m_dialogs;
    QPushButton *m_saveButton;
    QPushButton *m_closeButton;
    QCheckBox *m_autoCalcCheck;
    QGroupBox *m_colorFrame;
    std::array<ColorButton *, 7> m_colorButtons{};
    std::array<QLabel *, 7> m_colorLabels{};
};

} // namespace norva
