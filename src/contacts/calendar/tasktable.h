#pragma once
#include "main/Main.h"

#include <QDate>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

class QLabel;
class QTreeWidget;
class TFrameworkCommandBuilder;
class TSpTBXDock;
class TSpTBXToolbar;
class TWinControl;
class TADOQuery;
class TImageList;
class TSPMonthPlanner;
class TSPPlannerSource;
class TSPPlanItem;
class TTBPopupMenu;
class Tfrmselectdate;

// What a contact event on the planner stands for.
struct CalendarItemData {
    int Id = 0;   // the usertable row of a plan, else 0
    int Key = 0;  // the contact's keyid
    int ImageIndex = 0;
    QString Caption;
    QString Category;  // "人脉" for contact events
    QString Email;
    QString Name;
};

// The calendar page: a month of festivals and contact events on the right, today and the next
// days on the left. Every item is read-only.
class Tfrmtasktable : public QWidget, public ICalendarPage
{
    Q_OBJECT
public:
    // Reads through `query` (the main window's shared one).
    Tfrmtasktable(TADOQuery *query, QWidget *parent = nullptr);
    ~Tfrmtasktable() override;

    QWidget *PageWidget() override { return this; }
    void LoadMonth(bool force) override;
    void LoadTodayTree() override;
    void GoToDate(const QDate &date) override;
    void SetLunarCaptions(bool show) override;

    QDate ShownDate() const { return shownDate_; }
    // The record of a planner item; nullptr for a festival.
    const CalendarItemData *ItemData(const TSPPlanItem *item) const;

    // The tool bar in a dock that lets it be dragged nowhere; it paints with the current theme.
    TSpTBXDock *SpTBXDock1;
    TSpTBXToolbar *SpTBXToolbar1;
    TCommand *SpTBXItem1;  // 上年
    TCommand *SpTBXItem2;  // 上月
    TCommand *SpTBXItem3;  // 下月
    TCommand *SpTBXItem4;  // 下年
    QLabel *dateLabel;
    QTreeWidget *TreeView1;
    TSPMonthPlanner *SPMonthPlanner1;
    TSPPlannerSource *PlannerSource;
    TImageList *taskImageList;
    TTBPopupMenu *taskPopupMenu;
    TCommand *epm_00;  // 编辑
    TCommand *epm_01;  // 新建人脉
    TCommand *epm_02;  // 从日历表中删除
    TCommand *N1;      // 给此人发邮件
    TCommand *N3;      // 到今天
    TCommand *N4;      // 日期转到

    // The page's commands by component name; nullptr for another name.
    TCommand *Command(const QString &name) const;
    const TCommandList &Commands() const { return commands_; }

    // Sets the popup's commands for the item selected now; runs just before it shows.
    void taskPopupMenuPopup();
    void ItemUpdate();
    void N1Click();
    void N4Click();
    // The shown date follows the start of the planner's cell selection.
    void FollowSelection();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    TCommandList commands_;
    std::unique_ptr<TComponent> menuOwner_;  // the popup menu and its images
    std::unique_ptr<TFrameworkCommandBuilder> menuBuilder_;
    std::unique_ptr<TFrameworkCommandBuilder> barBuilder_;
    void FormCreate();
    void BuildToolbar(TWinControl *panel);
    void BuildPopupMenu();
    void LoadFestivals(const QDate &start, const QDate &end);
    void LoadDatabaseItems(const QDate &start, const QDate &end);
    // The first selected item with a record of a contact event; nullptr without one.
    const CalendarItemData *SelectedContactItem() const;
    bool AccountOpen() const;

    TADOQuery *query_;
    std::unique_ptr<TSPPlannerSource> source_;
    std::unique_ptr<TImageList> images_;
    std::vector<std::unique_ptr<CalendarItemData>> itemData_;
    QDate shownDate_;
    QString loadedMonth_;  // "yyyyMM" of the month last loaded
    QPointer<Tfrmselectdate> frmselectdate_;
};

// Installs the page as the main window's calendar page.
void InstallCalendarPage();
