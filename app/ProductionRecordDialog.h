#pragma once
// "Production Record": where the window records its production runs and
// the station name it records them with. An empty record means
// KM640_RECORD from the environment, else this PC's record in the user's
// data folder, which km640-cli uses too; an empty station name means this
// computer's host name. The dialog shows which record is in use, and how to
// move one found at the earlier place (the start folder).

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;

namespace km640 {

class Preferences;

inline constexpr const char* kRecordSetting = "production/record";
inline constexpr const char* kStationSetting = "production/station";

class ProductionRecordDialog : public QDialog {
    Q_OBJECT
public:
    // inUse: which record the window uses now (and how to move one at the
    // earlier place); sharedDefault: this PC's default record.
    ProductionRecordDialog(QWidget* parent, Preferences& preferences, const std::string& hostName,
                           const std::string& inUse, const std::string& sharedDefault);

    QLineEdit* edtRecord() const { return edtRecord_; }
    QLineEdit* edtStation() const { return edtStation_; }
    QLabel* lblProblem() const { return lblProblem_; }
    QLabel* lblInUse() const { return lblInUse_; }

    // Keeps both when the record is understood; otherwise says why
    // and stays open.
    void accept() override;

private:
    Preferences& preferences_;
    QLineEdit* edtRecord_ = nullptr;
    QLineEdit* edtStation_ = nullptr;
    QLabel* lblProblem_ = nullptr;
    QLabel* lblInUse_ = nullptr;
};

}  // namespace km640
