#include "settings/OneChannelBox.h"

#include <QCheckBox>
#include <QSignalBlocker>

#include "app/TfmMain.h"
#include "settings/FieldRef.h"

namespace km640 {

namespace {

// chkOTChClick
void oneChannelClick(TfmMain& window, bool oneChannel) {
    FieldRef::of("TwoChannelMode").set(window.image(), oneChannel ? 0 : 1);
    if (window.hooks().oneChannelLayout) window.hooks().oneChannelLayout(oneChannel);
}

}  // namespace

QCheckBox* BuildOneChannelBox(TfmMain& window, QWidget* parent) {
    auto* box = new QCheckBox("One Channel", parent);
    box->setObjectName("chkOTCh");
    QObject::connect(box, &QCheckBox::clicked, box, [&window](bool checked) { oneChannelClick(window, checked); });
    window.refreshList().add(RefreshStep::SystemBlock, [&window, box] {
        const bool oneChannel = FieldRef::of("TwoChannelMode").get(window.image()) == 0;
        if (box->isChecked() == oneChannel) return;
        {
            const QSignalBlocker quiet(box);
            box->setChecked(oneChannel);
        }
        oneChannelClick(window, oneChannel);
    });
    return box;
}

}  // namespace km640
