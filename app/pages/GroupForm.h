#pragma once
// Builds a captioned group of setting controls row by row: a label, the
// control and its unit side by side, check boxes across the whole row. Every
// control gets its object name (and its tag when it belongs to a family).

#include <QString>
#include <span>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace km640 {

class EditField;
class TfmMain;

class GroupForm {
public:
    GroupForm(QWidget* parent, const QString& caption, const QString& objectName);

    QGroupBox* box() const { return box_; }

    QCheckBox* check(const QString& name, const QString& caption, int tag = -1);
    QRadioButton* radio(const QString& name, const QString& caption, int tag = -1);
    EditField* edit(TfmMain& window, const QString& name, const QString& label, const QString& unit = {});
    // A field the user never reaches (on the hidden Debug page).
    QLineEdit* shownValue(const QString& name, const QString& label);
    QComboBox* list(const QString& name, const QString& label, std::span<const std::string_view> items,
                    const QString& unit = {}, int tag = -1);
    QComboBox* list(const QString& name, const QString& label, std::span<const std::string> items,
                    const QString& unit = {}, int tag = -1);
    QLabel* label(const QString& text);
    // Any other widget (an inner group, a slider) across the row.
    void row(QWidget* widget);
    // A label, a widget and a unit in one row.
    void row(const QString& label, QWidget* widget, const QString& unit = {});
    // The label of the last row that had one (for its hint).
    QLabel* lastLabel() const { return lastLabel_; }

private:
    QGroupBox* box_;
    QGridLayout* grid_;
    QLabel* lastLabel_ = nullptr;
    int row_ = 0;
};

}  // namespace km640
