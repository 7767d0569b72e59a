#pragma once

#include "core/KeypadModel.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class FormSaoMaShouKuan;
}
class FormCS;

// The collection tab: the amount keypad and the collect button that opens the scan-pay window.
// Amounts also arrive from the point-of-sale program through the main window.
class FormSaoMaShouKuan : public QWidget
{
    Q_OBJECT

public:
    explicit FormSaoMaShouKuan(QWidget* parent = nullptr);
    ~FormSaoMaShouKuan() override;

    void pressDigit(int digit);
    void pressPoint();
    void pressBackspace();
    void setAmountText(const QString& text);
    void startCollection();

    QString amountText() const;
    // The scan-pay window while it is open, else null. There is never more than one.
    FormCS* scanPayWindow() const;

private slots:
    void keyBoardInput();
    void on_sk_btn_clicked();
    void on_clean_btn_clicked();
    void on_add_btn_clicked();
    void on_sev_btn_clicked() { pressDigit(7); }
    void on_eig_btn_clicked() { pressDigit(8); }
    void on_nine_btn_clicked() { pressDigit(9); }
    void on_fou_btn_clicked() { pressDigit(4); }
    void on_fiv_btn_clicked() { pressDigit(5); }
    void on_six_btn_clicked() { pressDigit(6); }
    void on_one_btn_clicked() { pressDigit(1); }
    void on_two_btn_clicked() { pressDigit(2); }
    void on_thr_btn_clicked() { pressDigit(3); }
    void on_zer_btn_clicked() { pressDigit(0); }
    void on_dot_btn_clicked() { pressPoint(); }
    void on_equal_btn_clicked();
    void on_input_Edit_textChanged(const QString& arg1);
    void on_back_btn_clicked() { pressBackspace(); }
    void on_rt_btn_clicked() { startCollection(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showModel();
    void restartFilter();

    std::unique_ptr<Ui::FormSaoMaShouKuan> ui;
    KeypadModel m_model;
    QTimer m_keyTimer;
    QPointer<FormCS> m_scanPay;
};
