#pragma once
// The contact browser page: quick views, the group tree, the tag tree, the contact list with its
// A-Z bar, and the contact card. Split by concern over userfrm*.cpp.
#include "main/Main.h"
#include "shared/NodeRecord.h"
#include "transfer/export.h"
#include "browser/RowChangeWatch.h"

#include <QHash>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class TQtCommandBuilder;
class TFrameworkCommandBuilder;
class TTBPopupMenu;
class QDropEvent;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QToolBar;
class TADOConnection;
class TWinControl;
class TdfsSplitter;
class TContactListView;
class TContactSearchIndex;
struct TListEntry;
struct TListRow;
using TListRowMaker = std::function<TListRow(const TListEntry &entry)>;

namespace SQLite {
class Database;
class Statement;
}

inline const QString DefaultCardFields = QStringLiteral(
    "uname,uxb,uwkaddress,uzw,umtel,uwtlp,uemail,uhtml,uqq,text2,unc,usx,text3,uhsr,ubyyx,text15,uhjg,text14,utc,ufz");
inline const QString DefaultViewFields = QStringLiteral("uname,umtel,uwtlp,ulevel,uemail");

// The pattern's i-th letter must be the pinyin initial of the name's i-th character ("?" matches
// any character); letters compare without case. An empty pattern, or one longer than the name,
// matches nothing.
bool MatchPinyinInitials(const QString &name, const QString &pattern);
// A key that orders names by their pinyin initials (Latin letters by themselves, without case).
QString PinyinSortKey(const QString &name);
// E-mail, web, ftp, news and mms addresses in an already HTML-escaped text marked up as links.
QString MarkupLinks(const QString &text);
// How wide the card's value cells are, and the font their texts are measured in. A width of 0
// leaves the cells to the browser and the values whole.
struct TCardLayout {
    int valueWidth = 0;
    QFont valueFont;
};
// The card page for caption/value pairs, two pairs a row; captions and values are escaped here.
// With a value width each value cell is that wide and its text one line, cut with an ellipsis
// where it would not fit; links keep the whole address.
QString ContactCardHtml(const QStringList &captions, const QStringList &values, const TCardLayout &layout = {});
// The card's layout on a page `pageWidth` pixels wide: the two value columns share what the two
// 100-pixel label columns and the cell spacing leave of the table's 96 per cent.
TCardLayout CardLayout(int pageWidth, const QFont &pageFont);
// The names of a comma list that are userinfo columns with a caption in FieldCaptions, in order.
QStringList KnownFieldList(const QString &text);
// Width of list column i from the stored width list: 100 without a usable entry, 50 below 1.
int ColumnWidthOf(const QStringList &widths, int index);
// "mailto:" text for a contact, address and body percent-encoded.
QString MailtoText(const QString &email, const QString &name);
// Tree images go by containment of the sex text, list images by equality.
int TreeContactImage(const QString &uxb);
int ListContactImage(const QString &uxb);

enum class TDragSource { None, List, Tree };
// What the contact list shows; moves renew a list that shows a group's children.
enum class TListSource { None, GroupChildren, QuickView, Tag, Search, Initial };

// The group tree. A drag carries the dragged node's keyid; the page decides every drop and moves
// the nodes itself once the database has changed.
class TDyTreeView final : public QTreeWidget
{
public:
    explicit TDyTreeView(QWidget *parent);
    std::function<bool(QDropEvent *event, QTreeWidgetItem *target)> OnDragOver;
    std::function<void(QDropEvent *event, QTreeWidgetItem *target)> OnDragDrop;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// What the group tree is made of, as the account file holds it: the groups parents first,
// the contacts in their order among siblings, and the quick views' counts.
struct TTreeRow {
    std::unique_ptr<TIQ> record;
    qint64 key = 0;
    qint64 parentKey = 0;
    int nodeLevel = 0;
};
struct TTreeRows {
    std::vector<TTreeRow> groups;
    std::vector<TTreeRow> contacts;
    qint64 counts[4] = {};
    bool counted = false;  // the counts hold only once every contact was read
};

class Tfuserfrm final : public QWidget, public IBrowserPage, public IGroupTreeSelection
{
    Q_OBJECT
public:
    // The page reads and writes the account through `connection`, which the caller keeps.
    explicit Tfuserfrm(TADOConnection *connection, QWidget *parent = nullptr);
    ~Tfuserfrm() override;

    // Components, named as the form names them.
    TWinControl *Panel3 = nullptr;
    QTabWidget *PageControl2 = nullptr;
    QWidget *TabSheet3 = nullptr;
    QTreeWidget *TreeView1 = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet2 = nullptr;
    TDyTreeView *DyTreeView1 = nullptr;
    QTreeWidget *TreeView2 = nullptr;
    TdfsSplitter *dfsSplitter2 = nullptr;
    TWinControl *listpanel = nullptr;
    TWinControl *Panel5 = nullptr;
    TContactListView *ListView1 = nullptr;
    QToolBar *ToolBar7 = nullptr;
    TdfsSplitter *dfsSplitter1 = nullptr;
    TWinControl *Panel4 = nullptr;
    QWidget *Panel6 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button4 = nullptr;
    QPushButton *Button5 = nullptr;
    QTextBrowser *WebBrowser1 = nullptr;

    TTBPopupMenu *DRPopupMenu = nullptr;
    TCommand *newnotegrp = nullptr;
    TCommand *dynewdoc = nullptr;
    TCommand *treenoderename = nullptr;
    TCommand *treedeletenode = nullptr;
    TCommand *N15 = nullptr;
    TCommand *N14 = nullptr;
    TCommand *N12 = nullptr;
    TCommand *N13 = nullptr;
    TCommand *N4 = nullptr;
    TCommand *N1 = nullptr;
    TCommand *N57 = nullptr;
    TCommand *N58 = nullptr;
    TCommand *N60 = nullptr;

    TTBPopupMenu *listviewPopMenu = nullptr;
    TCommand *listviewopen = nullptr;
    TCommand *listviewnew_2 = nullptr;
    TCommand *listviewnew_1 = nullptr;
    TCommand *listviewdelete = nullptr;
    TCommand *N2 = nullptr;
    TCommand *N5 = nullptr;
    TCommand *userpxmenu = nullptr;
    TCommand *N33 = nullptr;
    TCommand *N31 = nullptr;
    TCommand *N55 = nullptr;
    TCommand *N56 = nullptr;
    TCommand *N10 = nullptr;
    TCommand *N7 = nullptr;
    TCommand *N8 = nullptr;

    // The page's commands by component name; nullptr for another name.
    TCommand *Command(const QString &name) const;

    // IBrowserPage
    QWidget *PageWidget() override { return this; }
    void LoadGroupTree() override;
    int ViewStyle() const override;
    QList<int> ColumnWidths() const override;
    void SetViewStyle(int style) override;
    void NewGroup() override;
    void listviewdeleteClick() override;
    void treedeletenodeClick() override;
    bool ListShowsSelection() const override;
    void N7Click() override;  // 全部选定
    void N8Click() override;  // 反向选择
    void N12Click() override; // 上移
    void N13Click() override; // 下移
    void N14Click() override; // 移出
    void N15Click() override; // 移入
    void RunSearch(const QString &text) override;
    TNodePlace NewContactPlace() const override;
    void ShowNewContact(const QString &keyid) override;
    void UpdateContactNode(const QString &keyid) override;
    void LoadTagTree() override;

    // IGroupTreeSelection: the group tree's selected node, for the export wizard.
    std::optional<TGroupTreeNode> SelectedGroupTreeNode() const override;

    // Trees.
    QTreeWidgetItem *Root() const { return root_; }
    QTreeWidgetItem *FindTreeNodeByKey(const QString &keyid) const;
    QTreeWidgetItem *FindNodeByKey(const QString &keyid) const { return FindTreeNodeByKey(keyid); }
    static void SetNodeImage(QTreeWidgetItem *node, int selectedIndex, int imageIndex);
    static int NodeImage(const QTreeWidgetItem *node);
    void TreeView1Change(QTreeWidgetItem *node);
    void TreeView1Exit();
    void DyTreeView1Change(QTreeWidgetItem *node);
    void DyTreeView1DblClick();
    void DyTreeView1Exit();
    void TreeView2Change(QTreeWidgetItem *node);
    void TreeView2Enter();
    void N1Click();   // 导出名片
    void N57Click();  // 全部展开
    void N58Click();  // 全部折叠
    void N60Click();  // 自动展开
    bool AutoExpand() const { return autoExpand_; }

    // List.
    TListSource ListSource() const { return listSource_; }
    const QStringList &ColumnFields() const { return viewFields_; }
    int SortColumn() const { return sortColumn_; }
    int SortDirection() const { return sortDirection_; }
    void ListView1ColumnClick(int column);
    void ListView1Change();
    void ListView1DblClick(int row);
    void SearchContacts(const QString &text);
    // Lists again whatever the list shows, with the present columns.
    void RelistCurrent();
    void FilterByInitial(const QString &pattern);
    void SpeedButton8Click(const QString &caption);
    void listviewopenClick();
    void N2Click();  // 重命名
    void N4Click();  // 给此人发邮件 (tree)
    void N5Click();  // 给此人发邮件 (list)
    void N10Click(); // 定制详细信息表头
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    // In-place renames; false refuses the text. `text` comes back as stored.
    bool ListView1Edited(int row, QString &text);
    bool DyTreeView1Edited(QTreeWidgetItem *node, QString &text);

    // Card.
    const QStringList &CardFields() const { return cardFields_; }
    const QString &CardKeyid() const { return cardKeyid_; }
    const QString &CardHtml() const { return cardHtml_; }
    // The file the card is written to and shown from.
    static QString CardFilePath();
    void ShowContactCard(const QString &keyid);
    void Button1Click();

    // Group tree editing; a drop target of nullptr or without a record does nothing.
    bool DyTreeView1DragOver(TDragSource source, QTreeWidgetItem *target) const;
    void DyTreeView1DragDrop(TDragSource source, QTreeWidgetItem *target);
    bool ListView1DragOver(TDragSource source, int targetRow) const;
    void ListView1DragDrop(TDragSource source, int targetRow);
    void treenoderenameClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TCommandList commands_;
    std::unique_ptr<TQtCommandBuilder> builder_;  // the A-Z bar
    std::unique_ptr<TComponent> menuOwner_;        // the popup menus and their images
    std::unique_ptr<TFrameworkCommandBuilder> menuBuilder_;
    class TTreeChange;
    struct TRowReader;
    // Where the list's columns are in a statement's result.
    struct TListColumns {
        int keyid = -1, nodetype = -1, kzfield1 = -1, kzfield2 = -1, uname = -1, uxb = -1, ulevel = -1, uemail = -1,
            text1 = -1;
        int count = 0;  // columns of the statement
        std::vector<int> view;
        std::vector<bool> levelColumn;
    };

    void BuildLayout();
    // The card's browser; the card is laid out again when its width changes.
    QTextBrowser *MakeCardView(QWidget *parent);
    // Writes the card for the browser's present width and shows the file; false when the file
    // could not be written (the browser is then left as it was).
    bool RenderCard();
    void BuildMenus();
    void FormCreate();
    void RebuildColumns();
    void CountQuickViews();
    void ShowQuickViewCounts(const qint64 (&counts)[4]);

    // Reads what it can: a failing statement leaves what was read before it.
    TTreeRows ReadTreeRows() const;
    SQLite::Database *Db() const;
    std::unique_ptr<TRecordTreeItem> MakeNode(std::unique_ptr<TIQ> record) const;
    TRecordTreeItem *AddNodeFromDb(qint64 keyid);
    void RegisterSubtree(QTreeWidgetItem *node);
    void ForgetSubtree(QTreeWidgetItem *node);
    int PlaceIndex(QTreeWidgetItem *parent, const TIQ &record) const;
    void Reposition(QTreeWidgetItem *node);
    void SelectNodeQuietly(QTreeWidgetItem *node);

    QString ListColumnsSql(const QString &prefix) const;
    // `columns`: lower-case name → index in a row of `count` columns.
    TListColumns ListColumnsOf(const QHash<QString, int> &columns, int count) const;
    TListRow BuildListRow(const std::vector<QString> &values, const TListColumns &at) const;
    TListRowMaker ListRowMaker(const TListColumns &at) const;
    bool ReadListRows(const QString &sql, const QVariantList &params, std::vector<TListEntry> &rows,
                      TListColumns &at) const;
    void FillList(std::vector<TListEntry> rows, TListRowMaker maker, TListSource source);
    void ClearList(TListSource source);
    void ListQuickView(int index);
    QString QuickViewCondition(int index, QVariantList &params) const;
    QString QuickViewSql(int index, QVariantList &params) const;
    void SortList();
    QStringList SearchColumns();
    // The whole search index is read in the background while the tree is built, so that the
    // first search does not wait for it.
    void StartSearchIndex();
    void RenewListAfterMove();
    void ListPopup(const QPoint &pos);
    void DyTreeView1Popup(const QPoint &pos);
    void OpenContact(const QString &keyid, const QString &name);

    bool Rename(TIQ &record, QString &text);
    // The rows of the list that show the renamed contact or group show its new name.
    void ShowRenamedInList(const TIQ &renamed);
    bool IsInsideSubtree(const QTreeWidgetItem *node, const QTreeWidgetItem *ancestor) const;
    bool RunTreeChange(const std::function<void(TTreeChange &)> &body);
    std::vector<QTreeWidgetItem *> SelectedListNodes(QStringList *orphanKeys) const;
    bool DeleteNodes(const std::vector<QTreeWidgetItem *> &nodes, const QStringList &orphanKeys);

    TADOConnection *connection_;
    QTreeWidgetItem *root_ = nullptr;
    QHash<qint64, QTreeWidgetItem *> nodeByKey_;
    int sortColumn_ = 0;
    quint8 sortDirection_ = 0;
    TListSource listSource_ = TListSource::None;
    qint64 listedGroupKey_ = -1;
    QString cardKeyid_;
    QString listedText_;      // the search text or initials the list shows
    int listedQuickView_ = -1;
    QString leftNodeKeyid_;  // the node selected when focus last left the group tree
    QString cardHtml_;
    QStringList cardCaptions_;
    QStringList cardValues_;
    int cardValueWidth_ = -1;  // the value width the shown card was laid out for; -1 when none is shown
    QStringList viewFields_;
    QStringList viewWidths_;
    QStringList cardFields_;
    QStringList searchColumns_;
    // The one listener of the connection's row changes: the search index and the quick-view
    // counts are renewed from what it heard.
    TRowChangeWatch accountWatch_;
    std::unique_ptr<TContactSearchIndex> searchIndex_;
    bool autoExpand_ = false;
    bool loadingTree_ = false;
};
