#include "store/ui/frmSplash.h"
#include "ui_frmSplash.h"

#include <QCoreApplication>
#include <QPointer>
#include <QScreen>

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_ui(std::make_unique<Ui::frmSplash>())
{
    m_ui->setupUi(this);
    QFont title = m_ui->lblTitle->font();
    title.setPointSizeF(title.pointSizeF() * 1.8);
    title.setBold(true);
    m_ui->lblTitle->setFont(title);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("frmSplash { border: 1px solid palette(mid); }"));
    Reset();
}

frmSplash::~frmSplash() = default;

void frmSplash::Reset()
{
    showValue(0);
}

void frmSplash::Increment(const QString &status)
{
    setStatus(status);
    if (m_currentValue < RangeMax)
        showValue(m_currentValue + 1);
    else
        QCoreApplication::processEvents();
}

void frmSplash::setStatus(const QString &status)
{
    m_ui->lblStatus->setText(status);
}

double frmSplash::fraction() const
{
    const qint64 span = qint64(RangeMax) - RangeMin + 1;
    if (span <= 0)
        return 0;
    return qBound(0.0, double(m_currentValue) / double(span), 1.0);
}

void frmSplash::showValue(int value)
{
    m_currentValue = value;
    m_ui->shpForeground->setRange(0, 1000);
    m_ui->shpForeground->setValue(int(fraction() * 1000));
    QCoreApplication::processEvents();
}

namespace {
QPointer<frmSplash> g_splash;
}

namespace Splash {

void ShowSplash(const QString &status, int rangeMin, int rangeMax)
{
    if (!g_splash)
        g_splash = new frmSplash;
    g_splash->setStatus(status);
    g_splash->RangeMin = rangeMin;
    g_splash->RangeMax = rangeMax;
    g_splash->Reset();
    if (QScreen *screen = g_splash->screen())
        g_splash->move(screen->availableGeometry().center() - g_splash->rect().center());
    g_splash->show();
    QCoreApplication::processEvents();
}

void SetSplashStatus(const QString &status)
{
    if (g_splash)
        g_splash->Increment(status);
}

void closeSplash()
{
    delete g_splash.data();
}

frmSplash *splash()
{
    return g_splash.data();
}

} // namespace Splash
