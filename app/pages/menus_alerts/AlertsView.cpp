#include "app/pages/menus_alerts/AlertsView.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "app/EditField.h"
#include "app/TfmMain.h"
#include "app/pages/GroupForm.h"
#include "codeplug/EntryNumber.h"

namespace km640 {

namespace {

using namespace alerts;

struct ColumnDef {
    const char* caption;
    const char* family;
    const char* field;  // memory-map member of AlertPattern[i]
    KeyFilter filter;
};
constexpr ColumnDef kColumnDefs[] = {
    {"Alert", "edtAPat", "Tones", KeyFilter::toneLetter()},
    {"LED", "edtLEDPat", "Led", KeyFilter::bit()},
    {"Vibrator", "edtVibrPat", "Vibrator", KeyFilter::bit()},
};
constexpr char kToneNames[] = {'A', 'B', 'C', 'D'};
// Eight steps and a little room.
constexpr int kPatternFieldWidth = 90;

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

AlertsView::AlertsView(TfmMain& window) : QObject(&window), w_(window) {
    for (int t = 0; t < kTonalities; ++t) {
        divider_[t] = FieldRef::of("TonalityDivider[{}]", t);
        hz_[t] = FieldRef::of("TonalityHz[{}]", t);
    }
    for (int c = 0; c < kColumns; ++c)
        for (int i = 0; i < kPatterns; ++i)
            patternFields_[c][i] = FieldRef::of(std::string("AlertPattern[{}].") + kColumnDefs[c].field, i);
    build();
}

CodePlugImage& AlertsView::image() const { return w_.image(); }

void AlertsView::build() {
    QWidget* page = w_.page(Page::Manual);
    auto* grid = qobject_cast<QGridLayout*>(page->layout());

    GroupForm tonality(page, "Alert Tonality", "grpAlertTonality");
    for (int t = 0; t < kTonalities; ++t) {
        EditField* f = tonality.edit(w_, QString("edtTonality%1").arg(t), QString("Tonality %1").arg(kToneNames[t]), "Hz");
        SetControlTag(f, t);
        f->setKeyFilter(KeyFilter::digit())
            .setClearOnEntry()
            .setOnBlank([this](EditField&) { showTonality(); })
            .setOnCommit(WholeNumberCommit{
                {{inRange(kTonalityMinHz, kTonalityMaxHz), std::string(kTonalityRangeMessage),
                  MessageStyle::Plain, AfterRefusal::BackToField}},
                [this, t](int hz) { commitTonality(t, hz); }});
        tonality_[t] = f;
    }
    grid->addWidget(tonality.box(), 1, 1, Qt::AlignTop);
    CommitOnPointer(w_, tonality.box());

    auto* patterns = new QGroupBox("Alert Patterns", page);
    patterns->setObjectName("grpAlertPatterns");
    auto* table = new QGridLayout(patterns);
    for (int c = 0; c < kColumns; ++c) table->addWidget(new QLabel(kColumnDefs[c].caption, patterns), 0, c + 1);
    for (int i = 0; i < kPatterns; ++i) {
        table->addWidget(new QLabel(QString("Pattern #%1").arg(i + 1), patterns), i + 1, 0);
        for (int c = 0; c < kColumns; ++c) {
            const auto column = static_cast<Column>(c);
            auto* f = new EditField(w_, QString("%1%2").arg(kColumnDefs[c].family).arg(i), patterns, i);
            f->setMaxLength(kSteps);
            f->setFixedWidth(kPatternFieldWidth);
            f->setKeyFilter(kColumnDefs[c].filter)
                .setClearOnEntry()
                .setOnBlank([this, column](EditField&) { showColumn(column); })
                .setOnCommit([this, column, i](EditField& field) {
                    if (column == Letters) commitLetters(field, i);
                    else commitSteps(field, column, i);
                });
            table->addWidget(f, i + 1, c + 1);
            patterns_[c][i] = f;
        }
    }
    grid->addWidget(patterns, 0, 2, 2, 1, Qt::AlignTop);
}

// ---- Refresh ------------------------------------------------------------------

void AlertsView::showTonality() {
    for (int t = 0; t < kTonalities; ++t) {
        const auto bytes = image().span(hz_[t].offset, 2);
        tonality_[t]->setText(QString::number(TonalityShownHz(bytes[0], bytes[1])));
    }
}

void AlertsView::showPatterns() {
    for (int c = 0; c < kColumns; ++c) showColumn(static_cast<Column>(c));
}

void AlertsView::showColumn(Column column) {
    for (int i = 0; i < kPatterns; ++i) {
        const FieldRef& f = patternFields_[column][i];
        const std::string text = column == Letters ? PatternLetters(image().span(f.offset, f.length))
                                                   : StepBitsText(f.get(image()));
        patterns_[column][i]->setText(latin1(text));
    }
}

// ---- Commits ------------------------------------------------------------------

void AlertsView::commitTonality(int tone, int hz) {
    image().setWord(divider_[tone].offset, TonalityDivider(hz));
    image().copyIn(hz_[tone].offset, TonalityHzBytes(hz));
    showTonality();
}

void AlertsView::commitLetters(EditField& field, int pattern) {
    const FieldRef& f = patternFields_[Letters][pattern];
    image().copyIn(f.offset, PatternToneBytes(PatternLettersFilled(field.text().toLatin1().toStdString())));
    // Shown as stored: a pasted character that names no tone sounds tone A.
    field.setText(latin1(PatternLetters(image().span(f.offset, f.length))));
}

void AlertsView::commitSteps(EditField& field, Column column, int pattern) {
    const std::string steps = StepBitsFilled(field.text().toLatin1().toStdString());
    const StepBitsParse parsed = StepBitsByte(steps);
    if (!parsed.byte) {
        // Only a pasted text gets here; it stays as pasted and nothing is stored.
        w_.services().messages.show(NotAWholeNumberMessage(std::string(1, parsed.offending)), w_.appTitle(),
                                    MsgIcon::Error, MsgButtons::Ok);
        return;
    }
    field.setText(latin1(steps));
    patternFields_[column][pattern].set(image(), *parsed.byte);
}

}  // namespace km640
