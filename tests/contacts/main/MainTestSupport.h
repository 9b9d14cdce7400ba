#pragma once
// Shared pieces of the main-window and account tests: account files, a recording hot-key
// service, a test editor window, fake pages, and a responder that answers modal dialogs as
// they open.
#include "contacts/shared/AppGlobals.h"
#include "contacts/main/EditorRegistry.h"
#include "contacts/main/HotKeys.h"
#include "contacts/main/Main.h"
#include "contacts/shared/UtilityDb.h"

#include "TestSupport.h"
#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

// An empty data folder and no settings: each test starts as on a machine that never ran us.
inline void ResetAppData()
{
    QDir(AppDir() + "data").removeRecursively();
    QDir().mkpath(AppDir() + "data");
    QFile::remove(ConfigIniPath()), QFile::remove(TRegistry::StorePath());
}

// A new account file from the template, holding the named contacts.
inline void MakeAccount(const QString &path, const QStringList &contacts = {})
{
    ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", path)) << path.toStdString();
    if (contacts.isEmpty())
        return;
    TADOConnection connection;
    connection.Open(path);
    TADOQuery query(&connection);
    for (const QString &name : contacts)
        ASSERT_TRUE(RunQuery(&query, "insert into userinfo(uname, nodetype) values(?, 2)", {name}));
}

// The contact names in an account file, in the order they were added.
inline QStringList ContactNames(const QString &path)
{
    TADOConnection connection;
    connection.Open(path);
    TADOQuery query(&connection);
    QStringList names;
    if (!RunQuery(&query, "select uname from userinfo order by keyid"))
        return {QStringLiteral("<unreadable>")};
    for (query.First(); !query.Eof(); query.Next())
        names << query.FieldByName("uname").AsString();
    return names;
}

class RecordingHotKeys final : public IGlobalHotKeys
{
public:
    explicit RecordingHotKeys(std::map<int, THotKey> *registered) : registered_(registered) {}
    bool Register(int id, const THotKey &key) override { return (*registered_)[id] = key, true; }
    void Unregister(int id) override { registered_->erase(id); }

private:
    std::map<int, THotKey> *registered_;  // outlives the service, so tests can look after close
};

class TestEditor final : public QWidget, public IContactEditor
{
public:
    TestEditor() { setAttribute(Qt::WA_DeleteOnClose); }
    QWidget *EditorWindow() override { return this; }
    void LoadContact(const QString &keyid) override { loaded << keyid; }

    QStringList loaded;
    bool refuseClose = false;
    int closeAsked = 0;
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeAsked;
        if (onClose)
            onClose();
        event->setAccepted(!refuseClose);
    }
};

// A browser page that records what the window's commands ask of it.
class FakeBrowserPage final : public QWidget, public IBrowserPage
{
public:
    explicit FakeBrowserPage(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("fuserfrm")); }
    QWidget *PageWidget() override { return this; }
    void LoadGroupTree() override { ++treeLoads; }
    int ViewStyle() const override { return 3; }
    QList<int> ColumnWidths() const override { return widths; }
    void listviewdeleteClick() override { ++deletes; }
    void treedeletenodeClick() override { ++deletes; }
    void RunSearch(const QString &text) override { searches << text; }

    int treeLoads = 0, deletes = 0;
    QList<int> widths;
    QStringList searches;
};

// A page that holds nothing, for tests that need the main window but not that page.
class BlankPage final : public QWidget, public IBrowserPage, public ICalendarPage
{
public:
    using QWidget::QWidget;
    QWidget *PageWidget() override { return this; }
    void LoadGroupTree() override {}
    int ViewStyle() const override { return 0; }
    QList<int> ColumnWidths() const override { return {}; }
    void LoadMonth(bool) override {}
    void LoadTodayTree() override {}
};

// Blank pages for the factories a fixture does not set itself; declared before the fixture's
// main window, so that window is gone before the factories are cleared.
struct BlankPages {
    BlankPages()
    {
        BrowserPageFactory = [](QWidget *parent) { return new BlankPage(parent); };
        CalendarPageFactory = [](QWidget *parent) { return new BlankPage(parent); };
    }
    ~BlankPages() { BrowserPageFactory = nullptr, CalendarPageFactory = nullptr; }
};

// Answers modal windows of kind W in the order they are shown, one step per showing. One shown
// with no step left is dismissed (Dismiss) and counted, so a test can never hang on it.
template <class W>
class TModalResponderOf : public QObject
{
public:
    using Step = std::function<void(W *)>;

    TModalResponderOf() { qApp->installEventFilter(this); }
    ~TModalResponderOf() override { qApp->removeEventFilter(this); }

    void Then(Step step) { steps_.push_back(std::move(step)); }
    int Unexpected() const { return unexpected_; }
    int Pending() const { return int(steps_.size()); }
    QStringList Shown() const { return shown_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto *window = dynamic_cast<W *>(watched);
        if (!window || !window->testAttribute(Qt::WA_ShowModal))
            return false;
        shown_ << window->objectName();
        Step step = [](W *w) { Dismiss(w); };
        if (steps_.empty())
            ++unexpected_;
        else
            step = std::move(steps_.front()), steps_.pop_front();
        QTimer::singleShot(0, window, [window, step] { step(window); });
        return false;
    }

private:
    std::deque<Step> steps_;
    QStringList shown_;
    int unexpected_ = 0;
};

inline void Dismiss(QDialog *dialog) { dialog->reject(); }
using ModalResponder = TModalResponderOf<QDialog>;

#include "contacts/account/AccountSession.h"
#include "contacts/account/dataModule.h"

// The main window with its data module and login form, as the program makes them. Derived
// fixtures prepare files and clocks first, then call MakeWindow().
class MainWindowFixture : public ::testing::Test
{
protected:
    void MakeWindow()
    {
        BrowserPageFactory = [this](QWidget *parent) { return browser = new FakeBrowserPage(parent); };
        main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
        Form1 = (form1 = std::make_unique<TForm1>()).get();
        customerData = std::make_unique<TCustomerData>();
    }
    void TearDown() override
    {
        main.reset(), form1.reset(), customerData.reset();
        Form1 = nullptr, BrowserPageFactory = nullptr;
        CurrentAccount().Forget();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::map<int, THotKey> hotKeys;
    FakeBrowserPage *browser = nullptr;
    std::unique_ptr<Tfrmmain> main;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TCustomerData> customerData;
};
