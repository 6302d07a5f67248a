#pragma once
// The progress window of every pager operation: a caption line and a gauge.
// Showing it disables the main window; closing it enables the main window
// again and resets the gauge.

#include <QWidget>

class QLabel;
class QProgressBar;

namespace km640 {

class TfmState : public QWidget {
    Q_OBJECT
public:
    explicit TfmState(QWidget* mainWindow);

    void setCaption(const QString& text);
    QString caption() const;
    void setGaugeVisible(bool visible);
    void setGaugeRange(int min, int max);
    void setGaugePosition(int position);
    void addToGauge(int step);
    int gaugePosition() const;
    int gaugeMaximum() const;
    void showState();   // centres over the main window, disables it
    void repaintNow();  // operations run synchronously, so they repaint explicitly
    void closeState();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* mainWindow_;
    QLabel* caption_;
    QProgressBar* gauge_;
};

}  // namespace km640
