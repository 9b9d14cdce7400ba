#pragma once
// Shared pieces of the account tests: the main window, editor owner and data module in start-up order.
#include "main/MainTestSupport.h"
#include "contacts/shared/Utility.h"
#include "platform/MediaPlayer.h"
#include "shared/FileTestSupport.h"

namespace accounttest {
using namespace filetest;

// An account with enough rows that damaged pages hold data, then damaged as flipped bytes would.
inline void MakeDamaged(const QString &path)
{
    {
        TADOConnection connection;
        connection.Open(path);
        TADOQuery query(&connection);
        SQLite::Transaction transaction(connection.Db());
        for (int i = 0; i < 300; ++i)
            ASSERT_TRUE(RunQuery(&query, "insert into userinfo(uname, ufz) values(?, ?)", {"x", QString(500, 'z')}));
        transaction.Commit();
    }
    DamageDatabasePages(path);
    ASSERT_EQ(TADOConnection::CheckFile(path), TAccountFileState::Damaged);
}

// Media players that play nothing and write each call into a log, for as long as this lives.
class RecordingPlayers
{
    struct Player final : IMediaPlayer {
        explicit Player(QStringList *log) : log(log) {}
        bool Open(const QString &fileName) override
        {
            *log << "open " + fileName;
            return QFileInfo(fileName).isFile();
        }
        void Play() override { *log << "play"; }
        void Stop() override { *log << "stop"; }
        void Close() override { *log << "close"; }
        QStringList *log;
    };

public:
    RecordingPlayers() { SetMediaPlayerFactory([this] { return std::make_unique<Player>(&log); }); }
    ~RecordingPlayers() { SetMediaPlayerFactory({}); }
    int Count(const QString &entry) const { return int(log.count(entry)); }
    QStringList log;
};

class AccountWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetAppData();
        QFile::remove(TRegistry::AutostartDir() + "/orvanta.desktop");
        ContactEditorFactory = [this] { return editors.emplace_back(new TestEditor).data(); };
    }
    void TearDown() override
    {
        Close();
        ContactEditorFactory = nullptr;
        CalendarPageFactory = nullptr;
        CurrentAccount().Forget();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The main window and the editor owner; Start() adds the data module, as the program does.
    void MakeWindow()
    {
        main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
    }
    void Start()
    {
        MakeWindow();
        data = std::make_unique<TCustomerData>();
    }
    void Close()
    {
        main.reset(), form1.reset(), data.reset();
        Form1 = nullptr;
    }
    std::map<int, THotKey> hotKeys;
    std::vector<QPointer<TestEditor>> editors;
    BlankPages blankPages;
    std::unique_ptr<TCustomerData> data;
    std::unique_ptr<Tfrmmain> main;
    std::unique_ptr<TForm1> form1;
};

} // namespace accounttest
