#include "shell/ticker_view.h"

#include <QTimer>

#include "settings/settings_store.h"
#include "shell/clickable_label.h"
#include "shell/twips.h"
#include "shell/web_links.h"
#include "ticker/ticker_text.h"

namespace tarnwick {

namespace {

QColor ToQColor(const TickerColour& colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

}  // namespace

TickerView::TickerView(ShellServices& services, const QString& programFolder, QWidget* parent)
    : QWidget(parent), services_(services), programFolder_(programFolder.toStdString()) {
  setObjectName(QStringLiteral("picTicker"));
  setFixedSize(Twips(kTickerBoxWidth), Twips(kTickerBoxHeight));

  QFont captionFont = font();
  captionFont.setBold(true);
  for (int index = 0; index < 2; ++index) {
    auto* label = new ClickableLabel(QStringLiteral("lblTicker"), this);
    label->setProperty("index", index);
    label->setFont(captionFont);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    label->setIndent(Twips(90));
    connect(label, &ClickableLabel::Clicked, this, [this, index] { lblTicker_Click(index); });
    lblTicker[index] = label;
  }

  TickerTimer = new QTimer(this);
  TickerTimer->setObjectName(QStringLiteral("TickerTimer"));
  TickerTimer->setInterval(kTickerTimerInterval);
  connect(TickerTimer, &QTimer::timeout, this, [this] { TickerTimer_Timer(); });

  SetTickerHost(kTickerHost);
}

TickerView::~TickerView() = default;

void TickerView::SetTickerHost(const std::string& host) {
  TickerTimer->stop();
  download_.Cancel();
  ticker_ = std::make_unique<NewsTicker>(
      download_, TickerFiles{TickerFilePath(programFolder_), SettingsFilePath(programFolder_)},
      SystemFileSystem(), host);
  ticker_->SetUpdateHandler([this](TickerUpdate result) {
    Redraw();
    emit TickerUpdated(result);
  });
  Redraw();
}

void TickerView::LoadTicker() {
  ticker_->LoadTicker();
  Redraw();
}

TickerUpdate TickerView::GetNewTickerText() { return ticker_->GetNewTickerText(); }

MainTimerOutcome TickerView::MainTimerTick(bool exitRequested) {
  MainTimerOutcome outcome = ticker_->MainTimerTick(exitRequested);
  if (outcome.closeWindow) return outcome;
  if (outcome.itemShown) TickerTimer->start();
  Redraw();
  return outcome;
}

void TickerView::TickerTimer_Timer() {
  if (!ticker_->TickerTimerTick()) TickerTimer->stop();
  Redraw();
}

void TickerView::lblTicker_Click(int index) {
  if (auto address = ticker_->LabelClick(index)) {
    OpenWebPage(services_, QString::fromStdString(*address));
  }
}

void TickerView::Redraw() {
  for (int index = 0; index < 2; ++index) {
    const TickerLabel& state = ticker_->Rotation().Label(index);
    ClickableLabel* label = lblTicker[index];
    label->setText(QString::fromStdString(state.caption));
    label->setProperty("tag", QString::fromStdString(state.tag));
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, ToQColor(state.colour));
    label->setPalette(colours);
    QFont f = label->font();
    f.setUnderline(state.underlined);
    label->setFont(f);
    // Only the current item opens its link, so only it shows the hand.
    label->setCursor(index == 0 && state.underlined ? Qt::PointingHandCursor : Qt::ArrowCursor);
    label->setGeometry(Twips(state.left), Twips(state.top), Twips(state.width),
                       Twips(state.height));
  }
}

}  // namespace tarnwick
