#pragma once
#include <QDialog>

class QPushButton;
class QRadioButton;

// 添加文件: whether a chosen file is stored in the account or only linked.
class Tfrmsetfile : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmsetfile(QWidget *owner = nullptr);

    QRadioButton *RadioButton1;  // 添加文件 (the bytes are kept)
    QRadioButton *RadioButton2;  // 添加文件连接 (only the path)
    QPushButton *Button1;        // 确定
    QPushButton *Button2;        // 取消
};

// The one instance while it is shown.
extern Tfrmsetfile *frmsetfile;
