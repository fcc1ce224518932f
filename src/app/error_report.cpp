// Message boxes and the default error report; see error_report.h.
#include "app/error_report.h"

#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace zenta {
namespace {

MessageRecorder* recorder = nullptr;

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// The platform's boxes broke lines at a lone carriage return too; Qt's break only at a line
// feed.
QString Shown(const QString& text) {
    QString shown = text;
    shown.replace(QRegularExpression(QStringLiteral("\r(?!\n)")), QStringLiteral("\n"));
    return shown;
}

}  // namespace

void ShowMessage(const QString& text, MessageIcon icon) {
    if (recorder) {
        recorder->messages.push_back({text, icon});
        return;
    }
    QMessageBox box(BoxIcon(icon), QStringLiteral("Zenta"), Shown(text));
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
}

bool AskQuestion(const QString& text) {
    if (recorder) {
        recorder->messages.push_back({text, MessageIcon::Question});
        return recorder->answer;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Zenta"), Shown(text));
    QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    box.exec();
    return box.clickedButton() == yes;
}

void ReportError(const std::exception& error) {
    QString text = QString::fromUtf8(error.what());
    if (!text.endsWith(u'.')) text += u'.';
    ShowMessage(text, MessageIcon::Error);
}

MessageRecorder::MessageRecorder() { recorder = this; }
MessageRecorder::~MessageRecorder() { recorder = nullptr; }

}  // namespace zenta
