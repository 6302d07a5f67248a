#include "app/pages/system_block/ThresholdTables.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <algorithm>

#include "app/ControlArrays.h"
#include "app/EditField.h"
#include "app/TfmMain.h"

namespace km640 {

namespace {

struct TableDef {
    ThresholdTable table;
    const char* caption;
    const char* objectName;
    std::array<const char*, 3> fieldFamilies;  // NRSSI, Speaker OFF, Speaker ON
};
// The wide-band table comes first on the page.
constexpr TableDef kTables[] = {
    {ThresholdTable::Wide, "WB Squelch", "grpWBSquelch", {"edtWBNRSSI", "edtWSQLOFF", "edtWSQLON"}},
    {ThresholdTable::Narrow, "NB Squelch", "grpNBSquelch", {"edtNBNRSSI", "edtNSQLOFF", "edtNSQLON"}},
};
constexpr std::array<const char*, 3> kColumnCaptions = {"NRSSI", "Speaker OFF", "Speaker ON"};
constexpr ThresholdColumn kColumns[] = {ThresholdColumn::Nrssi, ThresholdColumn::SpeakerOff,
                                        ThresholdColumn::SpeakerOn};

// Two decimals of a volt; Enter commits at once and again on leaving.
constexpr int kThresholdDecimals = 2;

}  // namespace

ThresholdTables::ThresholdTables(TfmMain& window, QLayout* page) : QObject(&window), window_(window) {
    for (const auto& def : kTables) page->addWidget(buildTable(def.table, page->parentWidget()));
    window.refreshList().add(RefreshStep::Thresholds, [this] {
        for (const auto& def : kTables) showTable(def.table);
    });
}

EditField*& ThresholdTables::fieldAt(ThresholdTable table, int level, ThresholdColumn column) {
    return fields_[table == ThresholdTable::Wide ? 0 : 1][static_cast<std::size_t>(level)]
                  [static_cast<std::size_t>(column)];
}

QGroupBox* ThresholdTables::buildTable(ThresholdTable table, QWidget* parent) {
    const TableDef& def = kTables[table == ThresholdTable::Wide ? 0 : 1];
    auto* group = new QGroupBox(def.caption, parent);
    group->setObjectName(def.objectName);
    group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* grid = new QGridLayout(group);
    for (int c = 0; c < 3; ++c)
        grid->addWidget(new QLabel(kColumnCaptions[static_cast<std::size_t>(c)], group), 0, 1 + 2 * c, 1, 2);
    grid->setColumnStretch(7, 1);
    for (int level = 0; level < thresholdLayout::kLevelCount; ++level) {
        grid->addWidget(new QLabel(QString("Level %1").arg(level + 1), group), level + 1, 0);
        for (const ThresholdColumn column : kColumns) {
            const int c = static_cast<int>(column);
            auto* field = new EditField(window_, QString("%1%2").arg(def.fieldFamilies[static_cast<std::size_t>(c)]).arg(level),
                                        group, level);
            // Narrow, but wide enough for the whole "0.95" in any font.
            const int wide = field->minimumSizeHint().width() + field->fontMetrics().horizontalAdvance(QStringLiteral("0.00"));
            field->setMinimumWidth(wide);
            field->setMaximumWidth(std::max(60, wide));
            field->setKeyFilter(KeyFilter::decimal(kThresholdDecimals))
                .setClearOnEntry()
                .setEnterCommitsTwice()
                .setOnBlank([this, table, column](EditField& f) {
                    f.setText(QString::fromStdString(
                        thresholdText(window_.image().byte(thresholdOffset(table, ControlTag(&f), column)))));
                })
                .setOnCommit([this, table, column](EditField& f) { thresholdExit(table, column, f); });
            fieldAt(table, level, column) = field;
            grid->addWidget(field, level + 1, 1 + 2 * c);
            grid->addWidget(new QLabel("V", group), level + 1, 2 + 2 * c);
        }
    }
    CommitOnPointer(window_, group);
    return group;
}

void ThresholdTables::thresholdExit(ThresholdTable table, ThresholdColumn column, EditField& field) {
    // A pasted text that is no number is reported by the conversion.
    const auto volts = field.decimalNumber();
    if (!volts) return;
    const ThresholdCommit result = commitThreshold(window_.image(), table, ControlTag(&field), column, *volts);
    field.setText(QString::fromStdString(result.shownText));
    if (result.outcome == ThresholdCommit::Outcome::Refused)
        field.refuse(std::string(result.message), MessageStyle::Warning, AfterRefusal::BackToField);
}

void ThresholdTables::showTable(ThresholdTable table) {
    for (int level = 0; level < thresholdLayout::kLevelCount; ++level)
        for (const ThresholdColumn column : kColumns)
            fieldAt(table, level, column)
                ->setText(QString::fromStdString(thresholdText(window_.image().byte(thresholdOffset(table, level, column)))));
}

}  // namespace km640
