#include "app/pages/menus_alerts/PromptsLogoView.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/EditField.h"
#include "app/TfmMain.h"
#include "app/pages/GroupForm.h"
#include "app/pages/NeedControl.h"

namespace km640 {

namespace {

using namespace prompts;

constexpr int kMarkerWidth = 40;
constexpr int kLogoLines = 2;
// Twelve characters and a little room.
constexpr int kTextFieldWidth = 120;

struct AlignButton {
    const char* name;
    const char* caption;
    const char* hint;
    Alignment alignment;
};
constexpr AlignButton kAlignButtons[] = {
    {"btnSP_L", "Left", "Align the prompt last entered to the left", Alignment::Left},
    {"btnSP_C", "Center", "Centre the prompt last entered", Alignment::Centre},
    {"btnSP_R", "Right", "Align the prompt last entered to the right", Alignment::Right},
};

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string latin1(const QString& s) { return s.toLatin1().toStdString(); }

}  // namespace

PromptsLogoView::PromptsLogoView(TfmMain& window) : QObject(&window), w_(window) {
    for (int k = 0; k < kPrompts; ++k) promptFields_[k] = FieldRef::of("MenuPrompt[{}]", k);
    logoFields_ = {FieldRef::of("LogoLine1"), FieldRef::of("LogoLine2")};
    buildPrompts();
    buildLogo();
}

CodePlugImage& PromptsLogoView::image() const { return w_.image(); }

EditField* PromptsLogoView::promptField(int k, QWidget* parent) {
    const int width = PromptFieldWidth(k);
    auto* f = new EditField(w_, QString("edtManuItm%1").arg(k), parent, k);
    f->setMaxLength(width);
    f->setFixedWidth(kTextFieldWidth);
    // Every prompt field counts to the twelve characters of a stored prompt:
    // at twelve any further key commits, Backspace included. The two short
    // fields never get there; their own width simply takes no eighth
    // character, and Backspace goes on deleting.
    f->setKeyFilter(KeyFilter::text(kTextWidth, true))
        .setFirstClickSelects()
        .setOnEntry([this, k](EditField&) { current_ = k; })
        .setOnCommit([this, k](EditField&) { commitPrompt(k); });
    prompt_[k] = f;
    return f;
}

// Stands for the five blanks in front of prompts 13 and 14; it takes no
// typing, but entering and leaving it work as they do in its prompt field.
EditField* PromptsLogoView::countMarker(int k, QWidget* parent) {
    auto* marker = new EditField(w_, QString("edtCountMark%1").arg(k), parent);
    marker->setReadOnly(true);
    marker->setFrame(false);
    marker->setFixedWidth(kMarkerWidth);
    marker->setBackgroundRole(QPalette::ToolTipBase);
    marker->setAutoFillBackground(true);
    marker->setFirstClickSelects()
        .setOnEntry([this, k](EditField&) { current_ = k; })
        .setOnCommit([this, k](EditField&) { commitPrompt(k); });
    return marker;
}

void PromptsLogoView::buildPrompts() {
    QWidget* page = w_.page(Page::Manual);
    GroupForm edit(page, "Prompts Edit", "grpPromptsEdit");
    GroupForm hidden(w_.page(Page::Debug), "Prompts", "grpDebugPrompts");
    for (int k = 0; k < kPrompts; ++k) {
        const QString label = latin1(std::string(kPromptLabels[k]));
        if (PromptHidden(k)) {
            hidden.row(label, promptField(k, hidden.box()));
            continue;
        }
        if (k < kFirstCountedPrompt) {
            edit.row(label, promptField(k, edit.box()));
            continue;
        }
        auto* cell = new QWidget(edit.box());
        auto* line = new QHBoxLayout(cell);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(0);
        line->addWidget(countMarker(k, cell));
        line->addWidget(promptField(k, cell));
        line->addStretch(1);
        edit.row(label, cell);
    }

    auto* buttons = new QWidget(edit.box());
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    for (const auto& b : kAlignButtons) {
        auto* button = new QPushButton(b.caption, buttons);
        button->setObjectName(b.name);
        button->setToolTip(b.hint);
        // The prompt being edited keeps the focus.
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, a = b.alignment] { align(a); });
        row->addWidget(button);
    }
    edit.row(buttons);

    auto* grid = qobject_cast<QGridLayout*>(page->layout());
    grid->addWidget(edit.box(), 0, 0, 2, 1, Qt::AlignTop);
    qobject_cast<QGridLayout*>(w_.page(Page::Debug)->layout())->addWidget(hidden.box(), 0, 1, Qt::AlignTop);
}

void PromptsLogoView::buildLogo() {
    auto* logo = NeedControl<QGroupBox>(&w_, "grpPowerOnLogo");
    auto* grid = qobject_cast<QGridLayout*>(logo->layout());
    for (int n = 0; n < kLogoLines; ++n) {
        auto* f = new EditField(w_, QString("edtLogo%1").arg(n), logo, n);
        f->setMaxLength(kTextWidth);
        f->setFixedWidth(kTextFieldWidth);
        f->setKeyFilter(KeyFilter::text()).setFirstClickSelects().setOnCommit([this, n](EditField&) { commitLogo(n); });
        grid->addWidget(new QLabel(QString("Line %1").arg(n + 1), logo), n, 0);
        grid->addWidget(f, n, 1);
        logo_[n] = f;
    }
}

// ---- Refresh ------------------------------------------------------------------

void PromptsLogoView::showPrompts() {
    for (int k = 0; k < kPrompts; ++k)
        prompt_[k]->setText(latin1(ShownPrompt(k, image().text(promptFields_[k].offset, kTextWidth))));
}

void PromptsLogoView::showLogo() {
    for (int n = 0; n < kLogoLines; ++n)
        logo_[n]->setText(latin1(displayText(image().text(logoFields_[n].offset, kTextWidth))));
}

// ---- Commits ------------------------------------------------------------------

void PromptsLogoView::commitPrompt(int k) {
    w_.setSelectOnFirstClick(false);
    current_ = k;
    image().setText(promptFields_[k].offset, kTextWidth, StoredPrompt(k, latin1(prompt_[k]->text())));
    showPrompts();
}

void PromptsLogoView::align(Alignment alignment) {
    EditField* field = prompt_[current_];
    field->setText(latin1(AlignedText(alignment, PromptFieldWidth(current_), latin1(field->text()))));
    commitPrompt(current_);
}

void PromptsLogoView::commitLogo(int line) {
    image().setText(logoFields_[line].offset, kTextWidth, StoredText(latin1(logo_[line]->text())));
    showLogo();
}

}  // namespace km640
