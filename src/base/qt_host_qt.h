// Message boxes, questions and progress for the core, shown with Qt.
#pragma once

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QWidget>

#include "base/host.h"

class QtHost : public tolva::Host {
public:
    explicit QtHost(QWidget* owner) : owner_(owner) {}
    void Message(const std::string& text) override {
        QMessageBox::information(owner_, QApplication::applicationName(), QString::fromLocal8Bit(text.c_str()));
    }
    bool AskYesNo(const std::string& text) override {
        return QMessageBox::warning(owner_, QApplication::applicationName(), QString::fromLocal8Bit(text.c_str()),
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    void Beep() override { QApplication::beep(); }
    void ProcessEvents() override { QApplication::processEvents(); }
    void Status(const std::string& text) override {
        if (auto* window = qobject_cast<QMainWindow*>(owner_))
            window->statusBar()->showMessage(QString::fromLocal8Bit(text.c_str()));
    }

private:
    QWidget* owner_;
};
