#pragma once
// "Production Record": where the window records its production runs and
// the station name it records them with. An empty record means
// KM640_RECORD from the environment, else km640-production.sqlite in the
// start folder; an empty station name means this computer's host name.

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
    ProductionRecordDialog(QWidget* parent, Preferences& preferences, const std::string& hostName);

    QLineEdit* edtRecord() const { return edtRecord_; }
    QLineEdit* edtStation() const { return edtStation_; }
    QLabel* lblProblem() const { return lblProblem_; }

    // Keeps both when the record is understood; otherwise says why
    // and stays open.
    void accept() override;

private:
    Preferences& preferences_;
    QLineEdit* edtRecord_ = nullptr;
    QLineEdit* edtStation_ = nullptr;
    QLabel* lblProblem_ = nullptr;
};

}  // namespace km640
