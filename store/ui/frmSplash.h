#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class frmSplash;
}

// The window shown while the program starts: a status line and a bar that
// advances one step per status report.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);
    ~frmSplash() override;

    int RangeMin = 1;
    int RangeMax = 1;

    // Shows the bar empty.
    void Reset();
    // Sets the status text and, below the maximum, advances one step.
    void Increment(const QString &status);
    void setStatus(const QString &status);
    int currentValue() const { return m_currentValue; }
    // The bar's filled share, 0..1.
    double fraction() const;

private:
    void showValue(int value);

    std::unique_ptr<Ui::frmSplash> m_ui;
    int m_currentValue = 0;
};

namespace Splash {

// Shows the program's splash with a status and a range.
void ShowSplash(const QString &status, int rangeMin, int rangeMax);
// Reports one step of start-up; does nothing without a splash.
void SetSplashStatus(const QString &status);
void closeSplash();
frmSplash *splash();

} // namespace Splash
