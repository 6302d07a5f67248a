#include "app/pages/GroupForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "app/ControlArrays.h"
#include "app/EditField.h"

namespace km640 {

namespace {

constexpr int kColumns = 3;
// Wide enough for the longest value of the block's fields, and never so
// narrow that a three-digit value is cut off.
constexpr int kNumberFieldWidth = 70;
constexpr int kNumberFieldMinWidth = 50;

template <class T>
T* named(T* w, const QString& name, int tag) {
    w->setObjectName(name);
    if (tag >= 0) SetControlTag(w, tag);
    return w;
}

}  // namespace

GroupForm::GroupForm(QWidget* parent, const QString& caption, const QString& objectName)
    : box_(new QGroupBox(caption, parent)), grid_(new QGridLayout(box_)) {
    box_->setObjectName(objectName);
    grid_->setColumnStretch(kColumns, 1);
    grid_->setAlignment(Qt::AlignTop);
}

void GroupForm::row(QWidget* widget) { grid_->addWidget(widget, row_++, 0, 1, kColumns); }

void GroupForm::row(const QString& label, QWidget* widget, const QString& unit) {
    if (!label.isEmpty()) {
        lastLabel_ = new QLabel(label, box_);
        grid_->addWidget(lastLabel_, row_, 0);
    }
    grid_->addWidget(widget, row_, 1);
    if (!unit.isEmpty()) grid_->addWidget(new QLabel(unit, box_), row_, 2);
    ++row_;
}

QCheckBox* GroupForm::check(const QString& name, const QString& caption, int tag) {
    auto* box = named(new QCheckBox(caption, box_), name, tag);
    row(box);
    return box;
}

QRadioButton* GroupForm::radio(const QString& name, const QString& caption, int tag) {
    auto* button = named(new QRadioButton(caption, box_), name, tag);
    row(button);
    return button;
}

EditField* GroupForm::edit(TfmMain& window, const QString& name, const QString& label, const QString& unit) {
    auto* field = new EditField(window, name, box_);
    field->setMaximumWidth(kNumberFieldWidth);
    field->setMinimumWidth(kNumberFieldMinWidth);
    row(label, field, unit);
    return field;
}

QLineEdit* GroupForm::shownValue(const QString& name, const QString& label) {
    auto* field = named(new QLineEdit(box_), name, -1);
    row(label, field);
    return field;
}

QComboBox* GroupForm::list(const QString& name, const QString& label, std::span<const std::string_view> items,
                           const QString& unit, int tag) {
    auto* list = named(new QComboBox(box_), name, tag);
    for (auto item : items) list->addItem(QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size())));
    row(label, list, unit);
    return list;
}

QComboBox* GroupForm::list(const QString& name, const QString& label, std::span<const std::string> items,
                           const QString& unit, int tag) {
    auto* list = named(new QComboBox(box_), name, tag);
    for (const auto& item : items) list->addItem(QString::fromStdString(item));
    row(label, list, unit);
    return list;
}

QLabel* GroupForm::label(const QString& text) {
    auto* l = new QLabel(text, box_);
    row(l);
    return l;
}

}  // namespace km640
