#pragma once
// What the two tone-table pickers have in common: a grid of published tones with
// a few cells that hold no tone (headers, row numbers, the empty last cell), the
// buttons "Enter" and "Exit", and the two ways out, Pick and Leave.
//
// The dialogs are modal but never block the caller: showFor() shows the dialog and
// returns, and the window hears of the outcome through the client it handed over.
// So a pick is committed into the tone field exactly as if it had been typed, and
// a test drives the dialog with clicks and keys as a user would.

#include <QDialog>
#include <functional>
#include <string>

class QTableWidget;
class QPushButton;
class QKeyEvent;

namespace km640 {

class TonePickerDialog : public QDialog {
    Q_OBJECT
public:
    // What the window does with a picked tone's text, and when the user leaves.
    struct Client {
        std::function<void(const std::string& tone)> pick;
        std::function<void()> leave;
    };

    // Shows the dialog modally and returns at once; Pick or Leave ends it.
    void showFor(Client client);

    QTableWidget* grid() const { return grid_; }
    QPushButton* btnEnter() const { return btnEnter_; }
    QPushButton* btnExit() const { return btnExit_; }

    // The text of the grid's current cell goes to the client; the dialog closes.
    void Pick();
    // The client hears that nothing was picked; the dialog closes.
    void Leave();

protected:
    // panelCaption, when given, frames the grid. escapeLeavesDialog: Esc pressed
    // outside the grid leaves as well (in the grid it always does).
    TonePickerDialog(QWidget* parent, const QString& objectName, const QString& caption, int columns, int rows,
                     const QString& panelCaption, bool escapeLeavesDialog);

    // A cell without a tone is drawn on the button face and can never be selected.
    void setCell(int column, int row, const QString& text, bool holdsTone);
    void setFirstCell(int column, int row);
    // Sizes the grid to show every cell; called once the cells are set.
    void fitGrid();

    void reject() override;  // the close box and Esc
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refuseCell(int row, int column, int previousRow, int previousColumn);

    QTableWidget* grid_ = nullptr;
    QPushButton* btnEnter_ = nullptr;
    QPushButton* btnExit_ = nullptr;
    Client client_;
    bool escapeLeavesDialog_ = true;
    bool refusing_ = false;
};

}  // namespace km640
