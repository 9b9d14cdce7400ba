#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// 关于Orvanta: product name, version, maker and two links to the maker's pages.
class Tfrmabout : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmabout(QWidget *owner = nullptr);

    QLabel *Label6;  // the maker's home page
    QLabel *Label4;  // the product page
    QPushButton *BitBtn1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetHot(QLabel *label, bool hot);
};
