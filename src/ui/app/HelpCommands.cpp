#include "app/HelpCommands.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/AboutDialog.h"
#include "app/CMainFrame.h"
#include "base/CommandIds.h"

void HelpCommands::About() {
  CMainFrame* mainFrame = mainFrame_();
  AboutDialog dlg(mainFrame);
  if (mainFrame && mainFrame->modalRunner)
    mainFrame->modalRunner(dlg);
  else
    dlg.exec();
}

void HelpCommands::HelpTopics() {
  auto* dlg = new QDialog(mainFrame_());
  dlg->setObjectName("helpTopics");
  dlg->setAttribute(Qt::WA_DeleteOnClose);
  dlg->setWindowTitle(QStringLiteral("Norvane Help"));
  auto* browser = new QTextBrowser(dlg);
  QFile f(QStringLiteral(":/norvane/user-guide.html"));
  if (f.open(QIODevice::ReadOnly)) browser->setHtml(QString::fromUtf8(f.readAll()));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dlg);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::close);
  auto* v = new QVBoxLayout(dlg);
  v->addWidget(browser);
  v->addWidget(buttons);
  dlg->resize(640, 560);
  dlg->show();
}

bool HelpCommands::OnCommand(int id) {
  switch (id) {
    case cmd::kAppAbout: About(); return true;
    case cmd::kHelpTopics: HelpTopics(); return true;
    default: return false;
  }
}

bool HelpCommands::OnUpdateCommand(int id, CommandState& state) {
  switch (id) {
    case cmd::kAppAbout:
    case cmd::kHelpTopics:
      state.enabled = true;
      return true;
    default: return false;
  }
}
