#include "dialogs/StartupPassword.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>

#include "DialogsRecorder.h"
#include "TestFiles.h"
#include "platform/DynamicLibrary.h"
#include "platform/TextCodec.h"

namespace fs = std::filesystem;

namespace kova {
namespace {

class StartupPasswordTest : public ::testing::Test {
  protected:
    // The stand-in component in a directory of its own, beside a users file the test writes.
    void installStandIn() {
        fs::copy_file(KOVA_TEST_PASSWORD_BOX, dir / "PasswordBox.so");
        test::writeGbk(dir / "PasswordBox.users",
                       "[Zhang]\r\nPassword=s3cret\r\nName=张工\r\nRole=标定员\r\n"
                       "Note=二号线\r\n[nopass]\r\nName=无密码\r\n");
    }

    // Plays the operator in the login box once it is up.
    int runWith(const std::function<void(QDialog&)>& operatorPart) {
        bool played = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                ADD_FAILURE() << "no login box shown";
                return;
            }
            played = true;
            operatorPart(*box);
            if (box->isVisible()) {
                ADD_FAILURE() << "the login box is still open";
                box->findChild<QPushButton*>("cancel")->click();
            }
        });
        // The component's Windows name: the ".so" beside it is what opens.
        const int result = RunStartupPasswordBox(record, (dir / "PasswordBox.dll").string());
        EXPECT_TRUE(played);
        return result;
    }

    static void login(QDialog& box, const char* user, const char* password) {
        box.findChild<QLineEdit*>("user")->setText(QString::fromUtf8(user));
        box.findChild<QLineEdit*>("password")->setText(QString::fromUtf8(password));
        box.findChild<QPushButton*>("ok")->click();
    }

    test::TempDir dir;
    test::ScopedEnv ownUsersFile{"KOVA_PASSWORDBOX_USERS", nullptr};

    DialogsRecorder recorder;
    ScopedDialogs scoped{recorder};
    LoginRecord record;
};

// The scripted component answers what the test sets; the test's own handle keeps it loaded, so
// its record of the calls survives the tool's Unload.
class ScriptedComponent {
  public:
    explicit ScriptedComponent(int answer)
        : library_(DynamicLibrary::open(KOVA_TEST_SCRIPTED_PASSWORD_BOX)) {
        const auto set = reinterpret_cast<void (*)(int)>(library_.symbol("TestSetAnswer"));
        if (set != nullptr) {
            set(answer);
        }
    }
    bool ok() const { return library_.symbol("TestCalls") != nullptr; }
    std::string calls() const {
        return reinterpret_cast<const char* (*)()>(library_.symbol("TestCalls"))();
    }
    std::int32_t statusSeen() const {
        return reinterpret_cast<std::int32_t (*)()>(library_.symbol("TestStatusSeen"))();
    }

  private:
    DynamicLibrary library_;
};

TEST_F(StartupPasswordTest, TheComponentsAnswerDecidesAndARefusalMarksTheRecord) {
    struct Case {
        int answer;
        int result;
        std::int32_t status;
    };
    for (const Case c : {Case{0, 0, kLoginRefused}, Case{1, 1, -1}, Case{-1, 1, -1},
                         Case{-1007, 1, -1}, Case{1000, 1, -1}}) {
        SCOPED_TRACE(c.answer);
        ScriptedComponent component(c.answer);
        ASSERT_TRUE(component.ok());
        LoginRecord fresh;
        EXPECT_EQ(RunStartupPasswordBox(fresh, KOVA_TEST_SCRIPTED_PASSWORD_BOX), c.result);
        EXPECT_EQ(fresh.status, c.status);
        EXPECT_EQ(component.statusSeen(), -1);  // the record reached the component intact
        EXPECT_EQ(loginText(fresh.user), "operator");
        EXPECT_EQ(component.calls(), "ExtDoModal;ExtStop;");
    }
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(StartupPasswordTest, AComponentWithoutExtDoModalCountsAsPassed) {
    EXPECT_EQ(RunStartupPasswordBox(record, KOVA_TEST_CARD_GROUP_ONLY), 1);
    EXPECT_EQ(record.status, -1);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(StartupPasswordTest, ABoxThatThrowsOrFaultsRefuses) {
    for (const char* component :
         {KOVA_TEST_THROWING_PASSWORD_BOX, KOVA_TEST_NULL_DEREF_PASSWORD_BOX}) {
        SCOPED_TRACE(component);
        LoginRecord fresh;
        EXPECT_EQ(RunStartupPasswordBox(fresh, component), 0);
        EXPECT_EQ(fresh.status, kLoginRefused);
    }
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(StartupPasswordTest, AMissingComponentIsReportedAndRefuses) {
    const std::string missing = "/nonexistent/KOVA\\PasswordBox.dll";
    for (const std::string& path : {missing, std::string(KOVA_TEST_NOT_A_LIBRARY)}) {
        recorder.boxes.clear();
        EXPECT_EQ(RunStartupPasswordBox(record, path), 0);
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.boxes[0].text, "密码框组件不存在:" + path);
        EXPECT_EQ(recorder.boxes[0].caption, "数据库校验工具");
        EXPECT_EQ(recorder.boxes[0].icon, MessageIcon::Exclamation);
        EXPECT_FALSE(recorder.boxes[0].question);
    }
    EXPECT_EQ(record.status, -1);  // only a refusal marks the record
}

TEST_F(StartupPasswordTest, TheMessageHoldsAtMost499BytesWithoutSplittingACharacter) {
    std::string path = "/nonexistent/";
    for (int i = 0; i < 300; ++i) {
        path += "组";
    }
    EXPECT_EQ(RunStartupPasswordBox(record, path), 0);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    const std::string& text = recorder.boxes[0].text;
    EXPECT_LE(gbkLength(text), 499u);
    EXPECT_GE(gbkLength(text), 498u);
    EXPECT_EQ(("密码框组件不存在:" + path).rfind(text, 0), 0u);
    EXPECT_TRUE(isGbkEncodable(text));
}

TEST_F(StartupPasswordTest, StandInAListedUserPassesAndTheRecordIsFilledInGbk) {
    installStandIn();
    const int result = runWith([](QDialog& box) { login(box, "zhang", "s3cret"); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(loginText(record.user), "zhang");
    EXPECT_EQ(loginText(record.name), "张工");
    EXPECT_EQ(std::string(record.name), utf8ToGbk("张工"));
    EXPECT_EQ(loginText(record.role), "标定员");
    EXPECT_EQ(loginText(record.note), "二号线");
    const std::string time = loginText(record.time);
    ASSERT_EQ(time.size(), 19u);  // yyyy-MM-dd HH:mm:ss
    EXPECT_EQ(time[4], '-');
    EXPECT_EQ(time[13], ':');
    EXPECT_EQ(record.status, -1);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(StartupPasswordTest, StandInWrongLoginsKeepTheBoxOpenAndCancelRefuses) {
    installStandIn();
    std::vector<std::string> errors;
    const int result = runWith([&errors](QDialog& box) {
        const std::pair<const char*, const char*> tries[] = {
            {"zhang", "S3CRET"}, {"zhang", ""}, {"nopass", ""}, {"nobody", "s3cret"}};
        for (const auto& [user, password] : tries) {
            login(box, user, password);
            if (!box.isVisible()) {
                ADD_FAILURE() << user << " / \"" << password << "\" was let in";
                return;
            }
            errors.push_back(box.findChild<QLabel*>("error")->text().toStdString());
        }
        box.findChild<QPushButton*>("cancel")->click();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(record.status, kLoginRefused);
    EXPECT_EQ(loginText(record.user), "");
    EXPECT_EQ(errors, std::vector<std::string>(4, "用户名或密码错误！"));
}

TEST_F(StartupPasswordTest, StandInAMissingUsersFileLetsNobodyIn) {
    installStandIn();
    fs::remove(dir / "PasswordBox.users");
    std::string error;
    const int result = runWith([&error](QDialog& box) {
        login(box, "zhang", "s3cret");
        error = box.findChild<QLabel*>("error")->text().toStdString();
        box.findChild<QPushButton*>("cancel")->click();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error.rfind("用户文件不存在", 0), 0u);
}

}  // namespace
}  // namespace kova
