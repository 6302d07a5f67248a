#pragma once
// The page of one receive channel ("Channel F1" or "Channel F2"): a row of column
// captions, then one row per call address, "#1".."#8" with two tones and
// "Group #1".."Group #4" with one. Every cell is a view of the address record,
// the address name or a tone in the code-plug and writes its own bits back when
// clicked or committed. The tone fields are served by ToneEditing.

#include <QWidget>
#include <array>

#include "app/pages/channels/ToneFieldHost.h"
#include "selcall/AddressLayout.h"
#include "selcall/ToneField.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMouseEvent;
class QVBoxLayout;

namespace km640 {

class TfmMain;
class EditField;
class ToneEditing;
struct AddressRowContext;

// A check box column that stands for one bit of the address record.
struct AddressFlagColumn {
    const char* family;  // the name after "chkF1"/"chkF2": "P1", "SWA", "PArt", "VCh"
    int recordByte;
    int bit;
    bool inverted;       // ticked while the bit is 0
};

class AddressPage : public QWidget, public ToneFieldHost {
    Q_OBJECT
public:
    // Builds the page into its tab of the main window.
    AddressPage(TfmMain& window, ToneEditing& tones, CallChannel channel, QWidget* tab);

    CallChannel channel() const { return channel_; }

    // Showing the image, in the order of the whole-image refresh.
    void showRows();     // Call No. boxes and the enabling of every cell
    void showTones() override;  // the tone fields from their BCD digits
    void showNames();
    void showOptions();  // profiles, alert time, Vir.Ch., alert tone, Pr. Alert, switches
    // The enabling of every row and of the profile column captions, from the image.
    void applyEnabling();
    // The "STD"/"FIXED" lists and the seconds of every row, from the image.
    void showAlertTimes();

    EditField* toneField(ToneColumn column, int record) const override;
    QLabel* lblToneTbl() const override { return lblToneTbl_; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct Row {
        QCheckBox* callNo = nullptr;
        EditField* mark = nullptr;
        EditField* tone1 = nullptr;
        EditField* tone2 = nullptr;  // individual addresses only
        std::array<QCheckBox*, 4> profiles{};
        QComboBox* alertToneType = nullptr;
        QComboBox* alertPattern = nullptr;
        QComboBox* alertTime = nullptr;
        EditField* alertSeconds = nullptr;
        QLabel* secondsUnit = nullptr;
        QCheckBox* priorityAlert = nullptr;
        QCheckBox* vibratorInCharger = nullptr;
        std::array<QCheckBox*, 4> switches{};
    };

    void buildCaptions(QVBoxLayout* column);
    QWidget* buildRow(int record);
    QCheckBox* flagBox(const AddressFlagColumn& column, int record, QWidget* parent);
    EditField* buildToneField(ToneColumn column, int record, QWidget* parent);
    void applyEnabling(int record, const AddressRowContext& context);
    void showAlertTime(int record);
    int recordOffset(int record) const { return address::recordOffset(channel_, record); }
    // A control name: kind, channel, family and record, "chkF1CON0"; no record with -1.
    QString name(const char* kind, const char* family, int record = -1) const;

    // Handlers; each serves its whole column and takes the record from the tag.
    void chkCONClick(int record, bool checked);
    void chkFlagClick(const AddressFlagColumn& column, int record, bool checked);
    void cboATClick(int record, int item);
    void cboAlTTClick(int record, int item);
    void cboAPatClick(int record, int item);
    void edtMarkExit(EditField& field);
    void edtATMExit(EditField& field);

    TfmMain& window_;
    ToneEditing& tones_;
    CallChannel channel_;
    std::array<Row, address::kRecordCount> rows_{};
    std::array<QLabel*, 4> profileCaptions_{};
    // The user pattern each row last showed or chose, so "User define" brings it back
    // after "Standard" or "Continuous"; pattern "1" until one was shown.
    std::array<int, address::kRecordCount> rememberedPattern_{};
    QLabel* lblToneTbl_ = nullptr;
};

}  // namespace km640
