#pragma once
#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

class QLabel;
class QLineEdit;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TADOConnection;
class TSpTBXButton;

// 导入 CSV 文件: a three-page wizard that reads a CSV file, lets the user map the file's header
// captions to contact fields, and adds one contact per data line.
class Tfrminputcsv : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrminputcsv(TADOConnection *connection, QWidget *parent = nullptr);

    QStackedWidget *PageControl1;
    QWidget *TabSheet1;
    QWidget *TabSheet2;
    QWidget *TabSheet3;
    QLineEdit *Edit1;          // the file
    QTreeWidget *ListView1;    // header item, field caption, column name (hidden)
    QLabel *Label9;            // the result on the last page
    TSpTBXButton *SpTBXButton1;  // 上一步
    TSpTBXButton *SpTBXButton2;  // 下一步 / 完成, the default button
    TSpTBXButton *SpTBXButton3;  // 取消
    TSpTBXButton *SpTBXButton4;  // 浏览
    TSpTBXButton *SpTBXButton5;  // 映射
    TSpTBXButton *SpTBXButton6;  // 全选
    TSpTBXButton *SpTBXButton7;  // 清空

    // Runs after contacts were imported, so the contact browser can show them.
    std::function<void()> OnImported;

    void SpTBXButton1Click();
    void SpTBXButton2Click();
    void SpTBXButton4Click();
    // Opens the field picker for the selected row.
    void SpTBXButton5Click();
    void SpTBXButton6Click();
    void SpTBXButton7Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    TSpTBXButton *MakeButton(const QString &caption, const char *name, QWidget *parent, std::function<void()> click);
    // Enter, Escape and Alt with a button's accelerator, wherever the focus is; false when no
    // shown button took the key.
    bool DialogKey(const QKeyEvent *event);
    void GoToFieldPage();
    void FillFieldList(const QStringList &header);
    void ImportRecords();
    void MapRow(QTreeWidgetItem *row);
    void RowChanged(QTreeWidgetItem *row, int column);

    TADOConnection *connection_;
    QString path_;                // the file whose header the list shows
    bool filling_ = false;        // check marks set by the wizard itself open no picker
    QList<TSpTBXButton *> buttons_;
};
