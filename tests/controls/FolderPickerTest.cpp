// SPDX-License-Identifier: GPL-3.0-or-later
#include "CFolderPicker.h"
#include "FolderPickerDialog.h"
#include "TempDir.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeDatabase>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(FolderPicker, initialFolderLosesTrailingSpaceAndOneSeparator)
{
    EXPECT_EQ(CFolderPicker::TrimInitialFolder(QStringLiteral("/media/out/  \t")),
              QStringLiteral("/media/out"));
    EXPECT_EQ(CFolderPicker::TrimInitialFolder(QStringLiteral("/media/out\\")),
              QStringLiteral("/media/out"));
    EXPECT_EQ(CFolderPicker::TrimInitialFolder(QStringLiteral("/media/out//")),
              QStringLiteral("/media/out/"));
    EXPECT_EQ(CFolderPicker::TrimInitialFolder(QStringLiteral("  /media/out")),
              QStringLiteral("  /media/out"));
    EXPECT_EQ(CFolderPicker::TrimInitialFolder(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(CFolderPicker::TrimInitialFolder(QStringLiteral("/ ")), QStringLiteral("/"));
    EXPECT_EQ(CFolderPicker::TrimInitialFolder(QString()), QString());
}

// Runs `inspect` on the picker's dialog once it is open; inspect closes it.
void WhenOpen(const std::function<void(FolderPickerDialog &)> &inspect)
{
    QTimer::singleShot(0, [inspect] {
        auto *dialog = qobject_cast<FolderPickerDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no folder dialog open";
            return;
        }
        // Let the dialog settle (folder listing, deferred checks) first.
        QTest::qWait(50);
        inspect(*dialog);
    });
}

QPushButton *OkButton(FolderPickerDialog &dialog)
{
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    return buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
}

// The dialog lists folders and checks choices from its event loop, which a loaded machine runs
// late: waits (up to 5 s) until `state` holds, so that the check after it compares settled state.
bool Settles(const std::function<bool()> &state)
{
    return QTest::qWaitFor(state, 5000);
}

TEST(FolderPicker, opensAtTheTrimmedInitialFolderAndReturnsTheChoice)
{
    test::TempDir temp;
    const QString base = QString::fromStdString(temp.path().string());
    QDir(base).mkpath(QStringLiteral("output"));
    const QString output = QDir::cleanPath(base + QStringLiteral("/output"));

    CFolderPicker picker;
    picker.SetCaption(QStringLiteral("Output folder"));
    picker.SetInitialFolder(output + QStringLiteral("/  "));
    WhenOpen([&output](FolderPickerDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Output folder"));
        EXPECT_EQ(dialog.InstructionLabel()->text(), QStringLiteral("Open"));
        EXPECT_FALSE(dialog.StatusLabel()->isVisibleTo(&dialog));
        EXPECT_EQ(QDir::cleanPath(dialog.directory().absolutePath()), output);
        QPushButton *ok = OkButton(dialog);
        EXPECT_TRUE(ok && ok->isEnabled());
        dialog.accept();
    });
    EXPECT_EQ(picker.Browse(nullptr), 1);
    EXPECT_EQ(picker.Folder(), output);
    EXPECT_FALSE(picker.FolderIcon().isNull());
}

TEST(FolderPicker, theListingTellsAFilesTypeByItsNameWithoutReadingIt)
{
    // In /proc a read can block for good (/proc/kmsg): a file whose name tells nothing and whose
    // bytes do shows whether the dialog read it.
    test::TempDir temp;
    const QString base = QString::fromStdString(temp.path().string());
    const QFileInfo named(base + QStringLiteral("/kmsg"));
    {
        QFile file(named.filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\x89PNG\r\n\x1a\n");
    }
    const QMimeDatabase types;
    ASSERT_NE(types.mimeTypeForFile(named, QMimeDatabase::MatchContent),
              types.mimeTypeForFile(named, QMimeDatabase::MatchExtension));

    CFolderPicker picker;
    picker.SetInitialFolder(base);
    WhenOpen([&](FolderPickerDialog &dialog) {
        ASSERT_NE(dialog.iconProvider(), nullptr);
        EXPECT_EQ(dialog.iconProvider()->type(named),
                  types.mimeTypeForFile(named, QMimeDatabase::MatchExtension).comment());
        dialog.reject();
    });
    picker.Browse(nullptr);
}

TEST(FolderPicker, cancellingReturnsZeroAndKeepsTheResult)
{
    CFolderPicker picker;
    picker.SetInitialFolder(QDir::tempPath());
    WhenOpen([](FolderPickerDialog &dialog) { dialog.reject(); });
    EXPECT_EQ(picker.Browse(nullptr), 0);
    EXPECT_TRUE(picker.Folder().isEmpty());

    CFolderPicker rooted;
    rooted.SetRootFolder(QStringLiteral("/no/such/root"));
    EXPECT_EQ(rooted.Browse(nullptr), 0) << "an unusable root fails without a dialog";
}

class NoLockedFolders : public CFolderPicker
{
public:
    bool Validate(const QString &path, QString &status) override
    {
        seen.append(path);
        if (path.endsWith(QStringLiteral("locked"))) {
            status = QStringLiteral("This folder is locked.");
            return false;
        }
        status = QStringLiteral("Fine.");
        return true;
    }
    QStringList seen;
};

TEST(FolderPicker, validateDecidesWhetherOkIsEnabledAndFillsTheStatusLine)
{
    test::TempDir temp;
    const QString base = QString::fromStdString(temp.path().string());
    QDir(base).mkpath(QStringLiteral("locked"));
    QDir(base).mkpath(QStringLiteral("open"));
    const QString locked = QDir::cleanPath(base + QStringLiteral("/locked"));
    const QString open = QDir::cleanPath(base + QStringLiteral("/open"));

    NoLockedFolders picker;
    picker.SetInstructionText(QStringLiteral("Choose where converted files go."));
    picker.SetStatusLine(true);
    picker.SetInitialFolder(locked);
    WhenOpen([&](FolderPickerDialog &dialog) {
        EXPECT_EQ(dialog.InstructionLabel()->text(),
                  QStringLiteral("Choose where converted files go."));
        EXPECT_TRUE(dialog.StatusLabel()->isVisibleTo(&dialog));
        const auto status_is = [&dialog](const char *text) {
            return [&dialog, text] { return dialog.StatusLabel()->text() == QLatin1String(text); };
        };
        Settles(status_is("This folder is locked."));
        EXPECT_EQ(dialog.StatusLabel()->text(), QStringLiteral("This folder is locked."));
        QPushButton *ok = OkButton(dialog);
        ASSERT_TRUE(ok);
        EXPECT_FALSE(ok->isEnabled());
        dialog.accept(); // as Enter in the name field would: refused
        EXPECT_TRUE(dialog.isVisible());

        // The user goes up one level and clicks the locked folder, then the open one.
        dialog.setDirectory(QFileInfo(locked).absolutePath());
        auto *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
        ASSERT_TRUE(view);
        const auto row_of = [view](const QString &path) {
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row) {
                const QModelIndex index = view->model()->index(row, 0, root);
                if (index.data(QFileSystemModel::FilePathRole).toString() == path)
                    return index;
            }
            return QModelIndex();
        };
        // The listing arrives from the file system model's own thread.
        ASSERT_TRUE(Settles([&] { return row_of(locked).isValid() && row_of(open).isValid(); }));
        const auto click_folder = [&](const QString &path) {
            view->setCurrentIndex(row_of(path));
            QTest::qWait(50);
        };
        click_folder(locked);
        Settles([ok] { return !ok->isEnabled(); });
        EXPECT_FALSE(ok->isEnabled());
        click_folder(open);
        Settles(status_is("Fine."));
        EXPECT_TRUE(ok->isEnabled());
        EXPECT_EQ(dialog.StatusLabel()->text(), QStringLiteral("Fine."));
        click_folder(locked);
        Settles([ok] { return !ok->isEnabled(); });
        EXPECT_FALSE(ok->isEnabled());

        // The user types another folder into the name field.
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(name);
        name->setText(open);
        Settles(status_is("Fine."));
        EXPECT_TRUE(ok->isEnabled());
        EXPECT_EQ(dialog.StatusLabel()->text(), QStringLiteral("Fine."));
        dialog.accept();
    });
    EXPECT_EQ(picker.Browse(nullptr), 1);
    EXPECT_EQ(picker.Folder(), open);
    EXPECT_TRUE(picker.seen.contains(locked));
}

} // namespace
} // namespace quillet
