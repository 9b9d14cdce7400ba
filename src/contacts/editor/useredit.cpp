// The contact editor form: its pages and fields, the user-named labels, drop-down lists, name
// completion, birthday signs, change tracking, the reminder button and the tabbed editor's
// toolbar and close behaviour.
#include "editor/useredit.h"
#include "shared/FormParts.h"

#include "shared/AppGlobals.h"
#include "calendar/ChDateTo.h"
#include "calendar/DateCn.h"
#include "main/Main.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "account/dataModule.h"
#include "editor/InputTextBox.h"
#include "editor/setuseralarm.h"
#include "editor/usereditControls.h"
#include "editor/usereditdlg.h"

#include "shared/FrameworkCommandBuilder.h"
#include "toolbar/TB2ItemWindow.h"
#include "shared/QtCommandBuilder.h"
#include "themed/SpTBXItem.h"
#include "platform//ADODB.h"
#include "platform/AppPaths.h"
#include "platform/IniFiles.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <limits>

const char *const AnimalSignTable[12] = {"鼠", "牛", "虎", "兔", "龙", "蛇", "马", "羊", "猴", "鸡", "狗", "猪"};

std::function<IBrowserPage *()> ContactBrowserLookup = []() -> IBrowserPage * {
    return frmmain ? frmmain->BrowserPage() : nullptr;
};

IBrowserPage *CurrentContactBrowser()
{
    return ContactBrowserLookup ? ContactBrowserLookup() : nullptr;
}

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

enum class TFieldKind { Edit, Memo, Combo, Level, Birthday, Anniversary };

struct TFieldSpec {
    int page;  // 0 基本信息, 1 个人详情, 2 家庭教育, 3 客户关系
    const char *column;
    const char *caption;
    TFieldKind kind = TFieldKind::Edit;
};

constexpr TFieldKind E = TFieldKind::Edit;
constexpr TFieldKind M = TFieldKind::Memo;
constexpr TFieldKind C = TFieldKind::Combo;

// Every column with a control, page by page in the order the field-caption list gives them.
// field1 .. field12 carry the user-named labels instead of a caption.
const TFieldSpec FieldLayout[] = {
    {0, "text30", "姓"}, {0, "text44", "名"}, {0, "uname", "姓名", C}, {0, "uxb", "性别", C},
    {0, "uwkaddress", "工作单位", C}, {0, "uzw", "部门职务", C}, {0, "ulevel", "重要等级", TFieldKind::Level},
    {0, "umtel", "移动电话"}, {0, "uwtlp", "办公电话"}, {0, "uhtlp", "住宅电话"}, {0, "field1", ""},
    {0, "field2", ""}, {0, "uwcz", "单位传真"}, {0, "uemail", "电子邮件"}, {0, "text1", "电子邮件2"},
    {0, "uhtml", "网页地址"}, {0, "uqq", "QQ/MSN等"}, {0, "ujtdz", "家庭地址"}, {0, "text2", "办公地址"},

    {1, "unc", "昵称"}, {1, "uxz", "星座", C}, {1, "usx", "属相", C}, {1, "text3", "民族", C},
    {1, "uxx", "血型", C}, {1, "uhsr", "生日", TFieldKind::Birthday}, {1, "ubyyx", "毕业院校", C},
    {1, "text15", "专业"}, {1, "uhjg", "籍贯"}, {1, "utc", "兴趣爱好"}, {1, "text45", "曾居住地"},
    {1, "urhxr", "外貌特征"}, {1, "uzczg", "职称资格", C}, {1, "utz", "健康状况"}, {1, "uahht", "喜好话题"},
    {1, "text5", "忌讳话题"}, {1, "uydah", "喜欢的运动"}, {1, "uah", "休闲喜好"}, {1, "text7", "爱好物品"},
    {1, "uyjsh", "饮酒习惯"}, {1, "text11", "所嗜酒类"}, {1, "text12", "吸烟习惯"}, {1, "text13", "所嗜烟类"},
    {1, "text4", "偏爱菜式"}, {1, "upacs", "饮食习惯"}, {1, "text10", "近期心愿"}, {1, "text9", "长期心愿"},
    {1, "text8", "得意的事"}, {1, "text16", "常提起的事"}, {1, "field3", ""}, {1, "field4", ""},
    {1, "field5", ""}, {1, "field6", ""}, {1, "text14", "工作经历", M}, {1, "ufz", "备注", M},

    {2, "text46", "特殊背景"}, {2, "text37", "父母状况"}, {2, "text38", "父母工作"}, {2, "text47", "婚姻状况"},
    {2, "upo", "配偶姓名"}, {2, "text48", "配偶学历"}, {2, "upoxq", "配偶爱好"},
    {2, "ujhjnr", "婚纪念日", TFieldKind::Anniversary}, {2, "ujtcy", "子女姓名"}, {2, "text49", "子女年龄"},
    {2, "text50", "子女教育"}, {2, "text51", "子女喜好"}, {2, "uzgxl", "最高学历", C}, {2, "text53", "所学专业"},
    {2, "text54", "毕业时间"}, {2, "text17", "擅长运动"}, {2, "text20", "参加社团"}, {2, "text21", "中学名称"},
    {2, "text57", "其它教育"}, {2, "text56", "对学历态度"}, {2, "ubybz", "兵役兵种", C}, {2, "utyjx", "最高军衔", C},
    {2, "field7", ""}, {2, "field8", ""}, {2, "text55", "上学时趣事", M},

    {3, "text33", "客户状态", C}, {3, "text32", "客户类型", C}, {3, "text39", "客户来源", C},
    {3, "text40", "客户潜力"}, {3, "text31", "公司声誉"}, {3, "text36", "银行账号"}, {3, "text18", "前一个职务"},
    {3, "text19", "公司内地位"}, {3, "text22", "客户对自己公司的态度"}, {3, "text23", "与周围人员业务关系"},
    {3, "text24", "客户对你公司的态度"}, {3, "text25", "周围人员对客户的了解"},
    {3, "text26", "客户管理层以何为重"}, {3, "text27", "其核心需求/主要需求"}, {3, "text28", "客户眼中的关键问题"},
    {3, "text29", "你最担心的问题"}, {3, "field9", ""}, {3, "field10", ""}, {3, "field11", ""},
    {3, "field12", ""},
};

const char *const StarSigns[12] = {"水瓶座", "双鱼座", "白羊座", "金牛座", "双子座", "巨蟹座",
                                   "狮子座", "处女座", "天秤座", "天蝎座", "射手座", "摩羯座"};

const char *const EthnicGroups[56] = {
    "汉族", "回族", "壮族", "满族", "藏族", "蒙古族", "维吾尔族", "苗族", "彝族", "布依族", "朝鲜族",
    "侗族", "瑶族", "白族", "土家族", "哈尼族", "哈萨克族", "傣族", "黎族", "傈僳族", "佤族", "畲族",
    "高山族", "拉祜族", "水族", "东乡族", "纳西族", "景颇族", "柯尔克孜族", "土族", "达斡尔族", "仫佬族",
    "羌族", "布朗族", "撒拉族", "毛南族", "仡佬族", "锡伯族", "阿昌族", "普米族", "塔吉克族", "怒族",
    "乌孜别克族", "俄罗斯族", "鄂温克族", "德昂族", "保安族", "裕固族", "京族", "塔塔尔族", "独龙族",
    "鄂伦春族", "赫哲族", "门巴族", "珞巴族", "基诺族",
};

// The drop-down lists filled from the values already stored; the last seven only from rows this
// program wrote.
struct TStoredList {
    const char *column;
    bool ownRowsOnly;
};
const TStoredList StoredLists[] = {
    {"text32", false}, {"text39", false}, {"text33", false}, {"uwkaddress", true}, {"uzw", true},
    {"ubyyx", true},   {"uzgxl", true},   {"uzczg", true},   {"ubybz", true},      {"utyjx", true},
};

QStringList Texts(std::initializer_list<const char *> items)
{
    QStringList texts;
    for (const char *item : items)
        texts << QString::fromUtf8(item);
    return texts;
}

// A line edit cuts what it is given to 32,767 characters unless told otherwise; a value loaded
// from the account and saved unchanged must come back whole.
void KeepWholeValues(QLineEdit *edit)
{
    edit->setMaxLength(std::numeric_limits<int>::max());
}

// Items are added without the first one becoming the box's text.
void AddComboItems(QComboBox *combo, const QStringList &items)
{
    const QString text = combo->currentText();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

QLabel *FieldLabel(QWidget *page, const QString &caption)
{
    auto *label = new QLabel(page);
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QToolButton *LinkButton(QWidget *page, const char *name, QStyle::StandardPixmap icon)
{
    auto *button = new QToolButton(page);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(page->style()->standardIcon(icon));
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

QStringList NameVariants(const QString &surname, const QString &givenName)
{
    const QString s = surname.trimmed();
    const QString g = givenName.trimmed();
    if (s.isEmpty() && g.isEmpty())
        return {};
    return {s + g, s + ' ' + g, s + QStringLiteral(", ") + g, g + ' ' + s, g + QStringLiteral(", ") + s, g};
}

void BirthdaySigns(const QDate &date, bool lunar, QString &animal, QString &star)
{
    int year = date.year();
    QDate solar;
    if (lunar) {
        solar = LunarToSolar(date.year(), date.month(), date.day());
    } else {
        solar = date;
        // Before the lunar new year the animal is still last year's.
        if (date.month() < LunarMonth(date))
            --year;
    }
    animal = QString::fromUtf8(AnimalSignTable[(((year - 4) % 60 % 12) + 12) % 12]);
    star = solar.isValid() ? ZodiacSign(solar) : QString();
}

QStringList SplitRelations(const QString &linkuser)
{
    return linkuser.split(QChar(0x18), Qt::SkipEmptyParts);
}

QString JoinRelations(const QStringList &entries)
{
    QString text;
    for (const QString &entry : entries)
        text += entry + QChar(0x18);
    return text;
}

// ---------------------------------------------------------------------------------------------
// Form

TUserEditForm::TUserEditForm(TComponent *owner)
    : TForm(owner), query_(std::make_unique<TADOQuery>(CustomerData ? CustomerData->dbConnection : nullptr))
{
    // Each editor is a window of its own with its own task-bar entry.
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("人脉属性"));
    SetPosition(TPosition::poScreenCenter);
    SetBounds(0, 0, 718, 671);
    OnClose = [this](TComponent *, TCloseAction &Action) { FormClose(Action); };

    builder_ = std::make_unique<TQtCommandBuilder>(this);
    frameworkBuilder_ = std::make_unique<TFrameworkCommandBuilder>(this);
    BuildToolbar();

    // The pages and the status bar share what the dock leaves of the window.
    auto *body = new QWidget;
    body->setObjectName(QStringLiteral("userBody"));
    userPageControl = new QTabWidget(body);
    userPageControl->setObjectName(QStringLiteral("userPageControl"));
    const auto scrolled = [this](QWidget *page) {
        auto *area = new QScrollArea;
        area->setWidgetResizable(true);
        area->setFrameShape(QFrame::NoFrame);
        area->setWidget(page);
        return area;
    };
    TabSheet10 = new QWidget;
    TabSheet10->setObjectName(QStringLiteral("TabSheet10"));
    TabSheet5 = new QWidget;
    TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
    PageControl1 = new QTabWidget(TabSheet5);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto *detailLayout = new QVBoxLayout(TabSheet5);
    detailLayout->setContentsMargins(2, 2, 2, 2);
    detailLayout->addWidget(PageControl1);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    TabSheet6 = new QWidget;
    TabSheet6->setObjectName(QStringLiteral("TabSheet6"));
    TabSheet7 = new QWidget;
    TabSheet7->setObjectName(QStringLiteral("TabSheet7"));

    BuildBasicPage();
    BuildFieldPage(TabSheet1, 1);
    BuildFieldPage(TabSheet2, 2);
    BuildFieldPage(TabSheet4, 3);
    BuildRelationPage();
    BuildAlbumPage();
    BuildRecordPage();

    userPageControl->addTab(scrolled(TabSheet10), QStringLiteral("基本信息"));
    userPageControl->addTab(TabSheet5, QStringLiteral("详细资料"));
    PageControl1->addTab(scrolled(TabSheet1), QStringLiteral("个人详情"));
    PageControl1->addTab(scrolled(TabSheet2), QStringLiteral("家庭教育"));
    PageControl1->addTab(scrolled(TabSheet4), QStringLiteral("客户关系"));
    userPageControl->addTab(TabSheet3, QStringLiteral("人脉圈"));
    userPageControl->addTab(TabSheet6, QStringLiteral("照片"));
    userPageControl->addTab(TabSheet7, QStringLiteral("联系记录"));

    StatusBar1 = new QStatusBar(body);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel = new QLabel(StatusBar1);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setTextFormat(Qt::PlainText);
    StatusBar1->addWidget(StatusPanel, 1);

    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(userPageControl, 1);
    layout->addWidget(StatusBar1);
    auto *bodyControl = new TWidgetControl(this, body);
    bodyControl->SetParent(this);
    bodyControl->SetAlign(TAlign::alClient);

    FormCreate();
    HookChangeEvents();
}

TUserEditForm::~TUserEditForm() = default;

TCommand *TUserEditForm::Command(const QString &name) const
{
    return commands_.Command(name);
}

void TUserEditForm::BuildToolbar()
{
    SpTBXDock1 = new TSpTBXDock(this);
    SpTBXDock1->SetName(QStringLiteral("SpTBXDock1"));
    SpTBXDock1->SetParent(this);
    SpTBXToolbar1 = new TSpTBXToolbar(this);
    SpTBXToolbar1->SetName(QStringLiteral("SpTBXToolbar1"));
    SpTBXToolbar1->SetCaption(QStringLiteral("工具栏"));
    // Its keys work wherever the focus is in this window, a text field included.
    SpTBXToolbar1->SetProcessShortCuts(true);
    SpTBXToolbar1->SetCurrentDock(SpTBXDock1);
    const auto item = [this](const char *name, const char *caption, const char *shortCut, void (TUserEditForm::*click)(),
                             QStyle::StandardPixmap icon) {
        return CommandRow(name, caption, shortCut, [this, click] { (this->*click)(); }, "", style()->standardIcon(icon));
    };
    TCommand &bar = commands_.Define(QStringLiteral("SpTBXToolbar1"),
                                     {
                                         item("TBXItem2", "保存", "", &TUserEditForm::TBXItem2Click, QStyle::SP_DialogSaveButton),
                                         SeparatorRow(),
                                         item("TBXItem1", "保存并关闭", "Ctrl+S", &TUserEditForm::TBXItem1Click,
                                              QStyle::SP_DialogApplyButton),
                                         SeparatorRow(),
                                         item("TBXItem4", "保存并新增", "", &TUserEditForm::TBXItem4Click,
                                              QStyle::SP_FileDialogNewFolder),
                                         SeparatorRow(),
                                         item("TBXItem3", "关闭", "", &TUserEditForm::TBXItem3Click, QStyle::SP_DialogCloseButton),
                                     });
    frameworkBuilder_->Fill(SpTBXToolbar1->Items(), bar);
    TBXItem2 = Command(QStringLiteral("TBXItem2"));
    TBXItem1 = Command(QStringLiteral("TBXItem1"));
    TBXItem4 = Command(QStringLiteral("TBXItem4"));
    TBXItem3 = Command(QStringLiteral("TBXItem3"));
    for (TCommand *command : {TBXItem2, TBXItem1, TBXItem4, TBXItem3}) {
        for (TTBCustomItem *shown : frameworkBuilder_->ItemsOf(*command))
            shown->SetDisplayMode(TTBItemDisplayMode::nbdmImageAndText);
    }
}

void TUserEditForm::BuildBasicPage()
{
    BuildFieldPage(TabSheet10, 0);
    auto *grid = static_cast<QGridLayout *>(TabSheet10->layout());
    const int rows = grid->rowCount();

    // Photo at the right of the first rows.
    Image5 = new QLabel(TabSheet10);
    Image5->setObjectName(QStringLiteral("Image5"));
    Image5->setFixedSize(80, 80);
    Image5->setContextMenuPolicy(Qt::CustomContextMenu);
    Image5->hide();
    SpeedButton1 = new QToolButton(TabSheet10);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("添加图像"));
    SpeedButton1->setFixedSize(80, 80);
    auto *photoBox = new QVBoxLayout;
    photoBox->addWidget(Image5);
    photoBox->addWidget(SpeedButton1);
    photoBox->addStretch(1);
    grid->addLayout(photoBox, 0, 4, 4, 1);
    const auto photo = [this](const char *name, const char *caption, void (TUserEditForm::*click)()) {
        return CommandRow(name, caption, "", [this, click] { (this->*click)(); });
    };
    TCommand &photoMenu = commands_.Define(QStringLiteral("PopupMenu1"), {
                                                                            photo("N1", "添加图像", &TUserEditForm::N1Click),
                                                                            photo("N2", "另存为", &TUserEditForm::N2Click),
                                                                            photo("N3", "删除图像", &TUserEditForm::N3Click),
                                                                        });
    N1 = Command(QStringLiteral("N1"));
    N2 = Command(QStringLiteral("N2"));
    N3 = Command(QStringLiteral("N3"));
    photoMenu.OnPopup = [this] {
        N1->SetEnabled(!SpeedButton1->isHidden());
        N2->SetEnabled(SpeedButton1->isHidden());
        N3->SetEnabled(SpeedButton1->isHidden());
    };
    PopupMenu1 = frameworkBuilder_->Popup(photoMenu);
    PopupMenu1->SetName(QStringLiteral("PopupMenu1"));
    connect(Image5, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { RunPopupMenu(*PopupMenu1, Image5->mapToGlobal(pos)); });
    connect(SpeedButton1, &QToolButton::clicked, this, &TUserEditForm::N1Click);

    // Tags, the reminder button, and the hidden key and reminder message.
    Edit1 = new QLineEdit(TabSheet10);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    KeepWholeValues(Edit1);
    Button1 = FormButton(QStringLiteral("标签"), "Button1", TabSheet10);
    Button3 = FormButton(QStringLiteral("人脉提醒"), "Button3", TabSheet10);
    auto *tagRow = new QHBoxLayout;
    tagRow->addWidget(Edit1, 1);
    tagRow->addWidget(Button1);
    tagRow->addSpacing(12);
    tagRow->addWidget(Button3);
    grid->addWidget(FieldLabel(TabSheet10, QStringLiteral("标签")), rows, 0);
    grid->addLayout(tagRow, rows, 1, 1, 3);
    grid->setRowStretch(rows + 1, 1);
    connect(Button1, &QPushButton::clicked, this, &TUserEditForm::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TUserEditForm::Button3Click);

    usrkeyid = new QLineEdit(TabSheet10);
    usrkeyid->setObjectName(QStringLiteral("usrkeyid"));
    usrkeyid->hide();
    auto *uxy = new QLineEdit(TabSheet10);
    uxy->setObjectName(QStringLiteral("uxy"));
    KeepWholeValues(uxy);
    uxy->hide();
    fields_.insert(QStringLiteral("uxy"), uxy);

    connect(Image2, &QToolButton::clicked, this, &TUserEditForm::Image2Click);
    connect(Image3, &QToolButton::clicked, this, &TUserEditForm::Image3Click);
    connect(Image4, &QToolButton::clicked, this, &TUserEditForm::Image4Click);
}

void TUserEditForm::BuildFieldPage(QWidget *page, int pageNumber)
{
    auto *grid = new QGridLayout(page);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    // The customer page has long captions: one field a row there.
    const int pairsPerRow = pageNumber == 3 ? 1 : 2;
    int row = 0;
    int pair = 0;
    const auto place = [&](QWidget *label, QLayoutItem *content, bool wide) {
        if (wide || pair == pairsPerRow) {
            if (pair > 0)
                ++row;
            pair = 0;
        }
        const int span = (wide || pairsPerRow == 1) ? 3 : 1;
        grid->addWidget(label, row, pair * 2, wide ? Qt::AlignTop : Qt::Alignment());
        grid->addItem(content, row, pair * 2 + 1, 1, span);
        ++pair;
        if (wide) {
            ++row;
            pair = 0;
        }
    };
    const auto single = [](QWidget *widget) { return new QWidgetItem(widget); };

    for (const TFieldSpec &spec : FieldLayout) {
        if (spec.page != pageNumber)
            continue;
        const QString column = QString::fromLatin1(spec.column);
        QLabel *label = nullptr;
        if (column.startsWith(QLatin1String("field"))) {
            const int number = column.mid(5).toInt();
            label = new QLabel(QStringLiteral("自定义"), page);
            label->setObjectName(QStringLiteral("mylab%1").arg(number));
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->setCursor(Qt::PointingHandCursor);
            label->installEventFilter(this);
            mylab[size_t(number - 1)] = label;
        } else {
            label = FieldLabel(page, QString::fromUtf8(spec.caption));
        }

        switch (spec.kind) {
        case TFieldKind::Edit:
        case TFieldKind::Memo:
        case TFieldKind::Combo: {
            QWidget *control = nullptr;
            if (spec.kind == TFieldKind::Memo) {
                auto *memo = new QPlainTextEdit(page);
                memo->setFixedHeight(60);
                memo->setTabChangesFocus(true);
                control = memo;
            } else if (spec.kind == TFieldKind::Combo) {
                auto *combo = new QComboBox(page);
                combo->setEditable(true);
                combo->setInsertPolicy(QComboBox::NoInsert);
                KeepWholeValues(combo->lineEdit());
                control = combo;
            } else {
                auto *edit = new QLineEdit(page);
                KeepWholeValues(edit);
                control = edit;
            }
            control->setObjectName(column);
            fields_.insert(column, control);
            QLayoutItem *content = nullptr;
            if (column == QLatin1String("uemail") || column == QLatin1String("text1") ||
                column == QLatin1String("uhtml")) {
                QToolButton *link = column == QLatin1String("uhtml")
                                        ? LinkButton(page, "Image4", QStyle::SP_DirLinkIcon)
                                        : LinkButton(page, column == QLatin1String("uemail") ? "Image2" : "Image3",
                                                     QStyle::SP_FileDialogContentsView);
                (column == QLatin1String("uemail") ? Image2 : column == QLatin1String("text1") ? Image3 : Image4) = link;
                auto *box = new QHBoxLayout;
                box->addWidget(control, 1);
                box->addWidget(link);
                content = box;
            } else {
                content = single(control);
            }
            place(label, content, spec.kind == TFieldKind::Memo);
            break;
        }
        case TFieldKind::Level:
            ulevel = new TLevelComboBox(page);
            ulevel->setObjectName(QStringLiteral("ulevel"));
            place(label, single(ulevel), false);
            break;
        case TFieldKind::Birthday: {
            DateTimePicker1 = new TCheckDatePicker(page);
            DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
            RadioButton1 = new QRadioButton(QStringLiteral("阳历"), page);
            RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
            RadioButton1->setChecked(true);
            RadioButton2 = new QRadioButton(QStringLiteral("阴历"), page);
            RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
            CheckBox1 = new QCheckBox(QStringLiteral("显示"), page);
            CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
            auto *box = new QHBoxLayout;
            box->addWidget(DateTimePicker1, 1);
            box->addWidget(RadioButton1);
            box->addWidget(RadioButton2);
            box->addWidget(CheckBox1);
            place(label, box, true);
            break;
        }
        case TFieldKind::Anniversary: {
            seldate2 = new TCheckDatePicker(page);
            seldate2->setObjectName(QStringLiteral("seldate2"));
            CheckBox2 = new QCheckBox(QStringLiteral("显示"), page);
            CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
            auto *box = new QHBoxLayout;
            box->addWidget(seldate2, 1);
            box->addWidget(CheckBox2);
            place(label, box, false);
            break;
        }
        }
    }
    if (pageNumber != 0)
        grid->setRowStretch(row + 1, 1);
}

void TUserEditForm::BuildRelationPage()
{
    ListView1 = new QListWidget(TabSheet3);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setIconSize(QSize(32, 32));
    ListView1->setGridSize(QSize(96, 64));
    ListView1->setMovement(QListView::Static);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setWordWrap(true);
    BitBtn5 = FormButton(QStringLiteral("选择人脉"), "BitBtn5", TabSheet3);
    BitBtn6 = FormButton(QStringLiteral("移除"), "BitBtn6", TabSheet3);
    BitBtn7 = FormButton(QStringLiteral("新建人脉"), "BitBtn7", TabSheet3);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn5);
    buttons->addWidget(BitBtn6);
    buttons->addWidget(BitBtn7);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(TabSheet3);
    layout->addLayout(buttons);
    layout->addWidget(ListView1, 1);
    connect(BitBtn5, &QPushButton::clicked, this, &TUserEditForm::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TUserEditForm::BitBtn6Click);
    connect(BitBtn7, &QPushButton::clicked, this, &TUserEditForm::BitBtn7Click);
    connect(ListView1, &QListWidget::itemDoubleClicked, this, [this] { ListView1DblClick(); });
}

void TUserEditForm::FormCreate()
{
    Modified = false;
    ReminderDialog = nullptr;
    RelationList.clear();

    const QString icon = ResourcePath(QStringLiteral("res/image/人脉.ico"));
    if (!icon.isEmpty())
        setWindowIcon(QIcon(icon));

    const QDate today = Clock().Now().date();
    for (TCheckDatePicker *picker : {seldate2, DateTimePicker1}) {
        picker->SetDate(today);
        picker->SetChecked(false);
    }
    activeNewTime_ = Clock().Now();

    if (!FieldCaptions.isEmpty()) {
        for (int n = 1; n <= 12; ++n)
            mylab[size_t(n - 1)]->setText(PairValueOf(FieldCaptions, QStringLiteral("field%1").arg(n)));
    }

    auto *uxb = static_cast<QComboBox *>(FieldControl(QStringLiteral("uxb")));
    AddComboItems(uxb, Texts({"", "女", "男"}));
    auto *usx = static_cast<QComboBox *>(FieldControl(QStringLiteral("usx")));
    QStringList animals{QString()};
    for (const char *animal : AnimalSignTable)
        animals << QString::fromUtf8(animal);
    AddComboItems(usx, animals);
    auto *uxx = static_cast<QComboBox *>(FieldControl(QStringLiteral("uxx")));
    AddComboItems(uxx, Texts({"", "A型", "B型", "O型", "AB型", "其他"}));
    auto *uxz = static_cast<QComboBox *>(FieldControl(QStringLiteral("uxz")));
    QStringList stars;
    for (const char *star : StarSigns)
        stars << QString::fromUtf8(star);
    AddComboItems(uxz, stars);
    auto *text3 = static_cast<QComboBox *>(FieldControl(QStringLiteral("text3")));
    QStringList groups{QString()};
    for (const char *group : EthnicGroups)
        groups << QString::fromUtf8(group);
    AddComboItems(text3, groups);
    ulevel->setCurrentIndex(2);

    FillDropDownLists();
}

void TUserEditForm::FillDropDownLists()
{
    for (const TStoredList &list : StoredLists) {
        const QString column = QString::fromLatin1(list.column);
        const QString sql = list.ownRowsOnly
            ? QStringLiteral("select %1 from userinfo where %1<>? and kzfield2=? group by %1").arg(column)
            : QStringLiteral("select %1 from userinfo where %1<>? group by %1").arg(column);
        const QVariantList params = list.ownRowsOnly ? QVariantList{QString(), QStringLiteral("2")}
                                                     : QVariantList{QString()};
        if (!RunQuery(query_.get(), sql, params))
            continue;
        QStringList values;
        for (query_->First(); !query_->Eof(); query_->Next())
            values << query_->Fields(0).AsString();
        AddComboItems(static_cast<QComboBox *>(FieldControl(column)), values);
    }
    query_->Close();
}

void TUserEditForm::HookChangeEvents()
{
    for (QWidget *control : std::as_const(fields_)) {
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            connect(edit, &QLineEdit::textChanged, this, &TUserEditForm::updateChange);
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
            connect(memo, &QPlainTextEdit::textChanged, this, &TUserEditForm::updateChange);
        else if (auto *combo = qobject_cast<QComboBox *>(control))
            connect(combo, &QComboBox::editTextChanged, this, &TUserEditForm::updateChange);
    }
    connect(ulevel, &QComboBox::currentIndexChanged, this, &TUserEditForm::updateChange);
    connect(Edit1, &QLineEdit::textChanged, this, &TUserEditForm::updateChange);
    connect(seldate2, &TCheckDatePicker::Changed, this, &TUserEditForm::updateChange);
    connect(DateTimePicker1, &TCheckDatePicker::Changed, this, &TUserEditForm::DateTimePicker1Change);
    // A lunar second month of 30 days, say, has no place in the stored date.
    connect(DateTimePicker1, &TCheckDatePicker::Refused, this, [this](const QString &text) {
        ShowMessage(RadioButton2->isChecked() ? QStringLiteral("阴历日期 %1 无法保存，请重新输入。").arg(text)
                                              : QStringLiteral("%1 不是有效的日期，请重新输入。").arg(text),
                    Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
    });
    connect(seldate2, &TCheckDatePicker::Refused, this, [this](const QString &text) {
        ShowMessage(QStringLiteral("%1 不是有效的日期，请重新输入。").arg(text), Orvanta, MsgIcon::Warning,
                    MsgButtons::OK, this);
    });
    // The anniversary's 显示 is as much a change as the birthday's.
    connect(CheckBox1, &QCheckBox::toggled, this, &TUserEditForm::updateChange);
    connect(CheckBox2, &QCheckBox::toggled, this, &TUserEditForm::updateChange);
    connect(RadioButton1, &QRadioButton::clicked, this, &TUserEditForm::CalendarChoiceClick);
    connect(RadioButton2, &QRadioButton::clicked, this, &TUserEditForm::CalendarChoiceClick);

    for (const char *name : {"text30", "text44", "uname"}) {
        QWidget *control = FieldControl(QString::fromLatin1(name));
        control->installEventFilter(this);
        if (auto *combo = qobject_cast<QComboBox *>(control))
            combo->lineEdit()->installEventFilter(this);
    }
    for (const char *name : {"text30", "text44"})
        connect(static_cast<QLineEdit *>(FieldControl(QString::fromLatin1(name))), &QLineEdit::textEdited, this,
                [this] { nameEdited_ = true; });
    ListView2->installEventFilter(this);
}

void TUserEditForm::updateChange()
{
    Modified = true;
}

void TUserEditForm::CalendarChoiceClick()
{
    if (IsTabbedEditor())
        DateTimePicker1Change();
    else
        Modified = true;
}

QWidget *TUserEditForm::FieldControl(const QString &column) const
{
    return fields_.value(column.toLower());
}

QString TUserEditForm::FieldText(const QString &column) const
{
    QWidget *control = FieldControl(column);
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        return edit->text();
    if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
        return memo->toPlainText();
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return combo->currentText();
    return {};
}

void TUserEditForm::SetFieldText(const QString &column, const QString &text)
{
    QWidget *control = FieldControl(column);
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setText(text);
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
        memo->setPlainText(text);
    else if (auto *combo = qobject_cast<QComboBox *>(control))
        combo->setEditText(text);
}

QStringList TUserEditForm::FieldColumns() const
{
    return fields_.keys();
}

bool TUserEditForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        QWidget *uname = FieldControl(QStringLiteral("uname"));
        if (watched == FieldControl(QStringLiteral("text30")) || watched == FieldControl(QStringLiteral("text44"))) {
            // Passing through the name fields must not replace a full name typed differently.
            if (nameEdited_)
                text30Exit();
            nameEdited_ = false;
        }
        else if (watched == uname || watched == static_cast<QComboBox *>(uname)->lineEdit())
            unameExit();
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (int n = 1; n <= 12; ++n) {
            if (watched == mylab[size_t(n - 1)]) {
                mylabClick(n);
                return true;
            }
        }
    } else if (event->type() == QEvent::Resize && watched == ListView2) {
        ResizeRecordColumns();
    }
    return TForm::eventFilter(watched, event);
}

void TUserEditForm::resizeEvent(QResizeEvent *event)
{
    TForm::resizeEvent(event);
    ResizeRecordColumns();
}

bool TUserEditForm::AskToSave()
{
    return ShowMessage(QStringLiteral("信息已经修改是否保存？"), Orvanta, MsgIcon::Warning, MsgButtons::YesNo, this) ==
           MsgResult::Yes;
}

QString TUserEditForm::TempFolder()
{
    if (!tempDir_) {
        const QString root = AppDir() + QStringLiteral("temp/");
        EnsureDir(root);
        tempDir_ = std::make_unique<QTemporaryDir>(root + QStringLiteral("edit-XXXXXX"));
        // Opened copies must outlive the window while another program shows them; the main
        // window empties the temp folder when it closes.
        tempDir_->setAutoRemove(false);
    }
    return tempDir_->isValid() ? tempDir_->path() + '/' : QString();
}

// ---------------------------------------------------------------------------------------------
// User labels, name completion, signs, links, reminder button

void TUserEditForm::mylabClick(int number)
{
    QLabel *label = mylab[size_t(number - 1)];
    QString text = label->text();
    if (!InputTextBox(QStringLiteral("修改"), QStringLiteral("新名称："), text))
        return;
    if (text.contains(',') || text.contains('=') || text.contains('"')) {
        ShowMessage(QStringLiteral("信息中不能包含字符[, = \"]"), Orvanta, MsgIcon::None, MsgButtons::OK, this);
        return;
    }
    label->setText(text);
    TIniFile ini(ConfigIniPath());
    ini.WriteString(QStringLiteral("USERLABLE"), QStringLiteral("mylab%1").arg(number), text);
    const QString name = QStringLiteral("field%1").arg(number);
    const int at = IndexOfPairName(FieldCaptions, name);
    if (at >= 0)
        FieldCaptions[at] = name + '=' + text;
    else
        FieldCaptions << name + '=' + text;
}

void TUserEditForm::text30Exit()
{
    auto *uname = static_cast<QComboBox *>(FieldControl(QStringLiteral("uname")));
    const QString name = uname->currentText();
    uname->clear();
    const QStringList variants = NameVariants(FieldText(QStringLiteral("text30")), FieldText(QStringLiteral("text44")));
    if (variants.isEmpty()) {
        uname->setEditText(name);
        return;
    }
    AddComboItems(uname, variants);
    uname->setEditText(variants.front());
}

void TUserEditForm::unameExit()
{
    auto *uname = static_cast<QComboBox *>(FieldControl(QStringLiteral("uname")));
    const QString text = uname->currentText();
    const int at = uname->findText(text, Qt::MatchExactly);
    if (at >= 0) {
        uname->setCurrentIndex(at);
    } else if (!text.isEmpty()) {
        AddComboItems(uname, {text});
    }
}

void TUserEditForm::DateTimePicker1Change()
{
    QString animal;
    QString star;
    BirthdaySigns(DateTimePicker1->Date(), RadioButton2->isChecked(), animal, star);
    SetFieldText(QStringLiteral("usx"), animal);
    // A lunar date the table cannot convert leaves the star sign as it was.
    if (!star.isEmpty())
        SetFieldText(QStringLiteral("uxz"), star);
    Modified = true;
}

void TUserEditForm::Image2Click()
{
    const QString mail = FieldText(QStringLiteral("uemail")).trimmed();
    if (!mail.isEmpty())
        ShellOpen(MailtoAddress(mail));
}

void TUserEditForm::Image3Click()
{
    const QString mail = FieldText(QStringLiteral("text1")).trimmed();
    if (!mail.isEmpty())
        ShellOpen(MailtoAddress(mail));
}

void TUserEditForm::Image4Click()
{
    OpenUrl(FieldText(QStringLiteral("uhtml")).trimmed());
}

void TUserEditForm::Button3Click()
{
    if (!ReminderDialog)
        ReminderDialog = new Tfrmsetuseralarm(this);
    Tfrmsetuseralarm *dialog = ReminderDialog;
    ClearInputControls(dialog);
    dialog->Edit2->setValue(10);
    for (QLineEdit *edit : {dialog->dayEdit, dialog->weekEdit, dialog->monthEdit2, dialog->yearEdit})
        edit->setText(QStringLiteral("1"));
    dialog->LoadReminderSettings(ReminderRule.Count, ReminderRule.Kind, ReminderRule.Text, ReminderRule.End,
                                 ReminderRule.Start);
    if (ReminderRule.Alarm.isValid())
        dialog->DateTimePicker1->setDateTime(ReminderRule.Alarm);
    const QString uxy = FieldText(QStringLiteral("uxy"));
    dialog->Edit1->setText(uxy.trimmed().isEmpty() ? QStringLiteral("请联系:") + FieldText(QStringLiteral("uname")) : uxy);
    if (dialog->exec() != QDialog::Accepted)
        return;
    TReminderRule rule;
    dialog->GetReminderSettings(rule.Start, rule.End, rule.Text, rule.Kind, rule.Count);
    rule.Alarm = rule.Start;
    // A new series is as much a change as a new field value: the close prompt must offer to save it.
    if (!(rule == ReminderRule))
        Modified = true;
    ReminderRule = rule;
    SetFieldText(QStringLiteral("uxy"), dialog->Edit1->text());
}

// ---------------------------------------------------------------------------------------------
// The tabbed editor

Tfrmuseredit::Tfrmuseredit(TComponent *owner) : TUserEditForm(owner)
{
    setObjectName(QStringLiteral("frmuseredit"));
}

bool Tfrmuseredit::IsRegisteredAs(const QString &name) const
{
    return Form1 && Form1->FindEditor(name) == static_cast<const IContactEditor *>(this);
}

void Tfrmuseredit::Rename(const QString &name)
{
    // Only a window the main window registered is listed; a modal one keeps out of the list.
    if (!IsRegisteredAs(objectName())) {
        setObjectName(name);
        return;
    }
    const int old = Form1->ComboBox1->findText(objectName());
    if (old >= 0)
        Form1->ComboBox1->removeItem(old);
    setObjectName(name);
    if (Form1->ComboBox1->findText(name) < 0)
        Form1->ComboBox1->addItem(name);
}

void Tfrmuseredit::TBXItem2Click()
{
    if (!SaveContact())
        return;
    Rename(QStringLiteral("useredit") + usrkeyid->text().trimmed());
    setWindowTitle(FieldText(QStringLiteral("uname")) + QStringLiteral("-人脉"));
}

void Tfrmuseredit::TBXItem1Click()
{
    if (SaveContact())
        Close();
}

void Tfrmuseredit::TBXItem4Click()
{
    if (!SaveContact())
        return;
    ResetAsNew();
    Rename(QStringLiteral("add_userform"));
    setWindowTitle(QStringLiteral("未命名-人脉"));
    Modified = false;
}

void Tfrmuseredit::TBXItem3Click()
{
    if (Modified) {
        if (AskToSave()) {
            TBXItem1Click();
            return;
        }
        // No: the changes are dropped without asking again on the way out.
        Modified = false;
    }
    Close();
}

void Tfrmuseredit::FormClose(TCloseAction &Action)
{
    // A save that failed keeps the window open, or the edits would be lost with it.
    if (Modified && AskToSave() && !SaveContact()) {
        Action = TCloseAction::caNone;
        return;
    }
    Modified = false;
    const QString name = QStringLiteral("useredit") + usrkeyid->text().trimmed();
    const QString registered = IsRegisteredAs(name) ? name
                               : IsRegisteredAs(QStringLiteral("add_userform")) ? QStringLiteral("add_userform")
                                                                                : QString();
    // A modal window (browser, reminder) is freed by whoever showed it, and must never release a
    // registered window of the same contact.
    if (registered.isEmpty())
        return;
    const int entry = Form1->ComboBox1->findText(registered);
    if (entry >= 0)
        Form1->ComboBox1->removeItem(entry);
    Action = TCloseAction::caFree;
}

void InstallContactEditor()
{
    ContactEditorFactory = [] { return static_cast<IContactEditor *>(new Tfrmuseredit); };
}
