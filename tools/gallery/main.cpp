// gallery DIR: renders each display control in typical states to PNG files in DIR, so that a
// person can look at them. Exits with 1 when a picture cannot be written.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/DialogUnits.h"
#include "controls/Digistring.h"
#include "controls/EditListCtrl.h"
#include "controls/GraphCtrl.h"
#include "controls/InPlaceEdit.h"
#include "controls/MoveControl.h"
#include "controls/TabSheet.h"

namespace {

class Gallery {
  public:
    explicit Gallery(const QDir& dir) : dir_(dir) {}

    void save(QWidget& widget, const char* name) {
        const QString path = dir_.filePath(QString::fromLatin1(name) + ".png");
        if (!widget.grab().save(path)) {
            std::fprintf(stderr, "gallery: cannot write %s\n", path.toLocal8Bit().constData());
            failed_ = true;
        }
        ++written_;
    }

    bool failed() const { return failed_; }
    int written() const { return written_; }

  private:
    QDir dir_;
    bool failed_ = false;
    int written_ = 0;
};

void settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void readouts(Gallery& gallery) {
    // The check window's readout: 193 x 51 dialog units.
    const QSize size = kova::dialogUnitRect(0, 0, 193, 51).size();
    const std::pair<const char*, const char*> texts[] = {
        {"EMPTY", "digistring_initial"},   {"-12.5", "digistring_reading"},
        {"0", "digistring_zero"},          {"12:30", "digistring_colon"},
        {"8.8.8.8", "digistring_all_lit"}, {"", "digistring_empty"},
    };
    for (const auto& [text, name] : texts) {
        CDigiString readout;
        readout.resize(size);
        if (std::string(name) != "digistring_initial") {
            readout.SetText(text);
        }
        gallery.save(readout, name);
    }
    // Every letter and sign large enough to check its segments.
    const std::pair<const char*, const char*> letters[] = {{"ABCDEFG", "digistring_letters_a_g"},
                                                           {"HIJKLMN", "digistring_letters_h_n"},
                                                           {"OPQRSTU", "digistring_letters_o_u"},
                                                           {"VWXYZ*+", "digistring_letters_v_plus"},
                                                           {"0123456789 -", "digistring_digits"}};
    for (const auto& [text, name] : letters) {
        CDigiString readout;
        readout.resize(static_cast<int>(std::string(text).size()) * 98 + 20, 176);
        readout.SetText(text);
        gallery.save(readout, name);
    }
    CDigiString wide;
    wide.resize(500, 60);
    wide.SetText("3.14");
    gallery.save(wide, "digistring_wide");
    CDigiString tall;
    tall.resize(80, 200);
    tall.SetText("-7");
    gallery.save(tall, "digistring_tall");
}

void lists(Gallery& gallery) {
    QWidget window;
    window.resize(420, 200);
    auto* list = new CEditListCtrl(&window);
    list->setGeometry(5, 5, 410, 190);
    const std::pair<const char*, int> columns[] = {
        {"关键字", 62}, {"通道号", 56}, {"通道说明", 130}, {"精确度（填入0-6数字）", 180}};
    for (int c = 0; c < 4; ++c) {
        list->InsertColumn(c, columns[c].first, CEditListCtrl::FormatLeft, columns[c].second);
    }
    const char* rows[][4] = {{"FZ", "1", "左轮重", "2"},
                             {"FY", "2", "右轮重", "2"},
                             {"ZD", "3", "制动力", "1"},
                             {"SD", "101", "速度", "1"}};
    for (int r = 0; r < 4; ++r) {
        list->InsertItem(r, rows[r][0]);
        for (int c = 1; c < 4; ++c) {
            list->SetItemText(r, c, rows[r][c]);
        }
    }
    list->SetExtendedStyle(CEditListCtrl::GridLines | CEditListCtrl::FullRowSelect |
                           CEditListCtrl::HeaderDragDrop);
    list->SetTextColor(QColor(0, 0, 255));
    list->SetBkColor(QColor(240, 247, 233));
    list->SetEditLabels(true);
    list->SetClickEditExcluded(0);
    list->SetColumnNoEdit(0, true);
    window.show();
    window.activateWindow();
    settle();
    gallery.save(window, "editlist_plain");

    list->SelectItem(1);
    list->EditSubLabel(1, 2);
    settle();
    gallery.save(window, "editlist_editing");

    // A cell partly hidden at the right edge is scrolled into view first.
    list->setFocus();
    settle();
    list->SelectItem(2);
    list->EditSubLabel(2, 3);
    settle();
    gallery.save(window, "editlist_scrolled_edit");
    list->setFocus();
    settle();
}

std::unique_ptr<CGraphCtrl> checkGraph(QWidget* parent) {
    auto graph = std::make_unique<CGraphCtrl>();
    graph->Create(kova::dialogUnitRect(0, 0, 199, 167), parent, 1);
    graph->SetXRange(-10, 10, 2);
    graph->SetYRange(-105, 105, 2);
    graph->SetYTitle("Data");
    graph->SetXTitle("Volt（V）");
    graph->SetBackColor(QColor(0, 0, 64));
    graph->SetAxisColor(QColor(192, 192, 255));
    graph->SetCurveColor(QColor(0, 255, 0));
    return graph;
}

void graphs(Gallery& gallery) {
    QWidget window;
    window.resize(320, 270);
    auto empty = checkGraph(&window);
    gallery.save(*empty, "graph_empty");

    auto table = checkGraph(&window);
    const double volts[] = {-10, -6, -2, 0, 3, 7, 10};
    for (const double v : volts) {
        table->AddPoint(0, v, v * 10, QColor(255, 255, 0));
    }
    gallery.save(*table, "graph_calibration");

    auto series = checkGraph(&window);
    const QColor colours[] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 0, 255)};
    for (int s = 1; s <= 3; ++s) {
        for (int i = 0; i <= 10; ++i) {
            const double x = -10 + 2 * i;
            series->AddPoint(s, x, s * 25.0 * (x / 10) * (x / 10) - 50, colours[s - 1]);
        }
    }
    gallery.save(*series, "graph_series");

    CGraphCtrl plain;
    plain.Create(QRect(0, 0, 300, 200), nullptr, 2);
    plain.SetXRange(0, 100, 0);
    plain.SetYRange(0, 1, 1);
    plain.SetXTitle("t");
    plain.SetYTitle("y");
    gallery.save(plain, "graph_defaults_one_decimal");
}

QWidget* makePage(const QString& caption) {
    auto* page = new QWidget;
    auto* label = new QLabel(caption, page);
    label->setGeometry(20, 20, 300, 24);
    auto* box = new QGroupBox(QStringLiteral("数字输入：（光电开关......）"), page);
    box->setGeometry(20, 60, 300, 120);
    return page;
}

void tabSheets(Gallery& gallery) {
    CTabSheet sheet;
    sheet.resize(kova::dialogUnitRect(0, 0, 495, 320).size() / 2);
    std::unique_ptr<QWidget> config(makePage(QStringLiteral("通道配置页")));
    std::unique_ptr<QWidget> calib(makePage(QStringLiteral("通道标定页")));
    sheet.AddPage(" 通 道 配 置 ", config.get(), 131);
    sheet.AddPage(" 通 道 标 定 ", calib.get(), 132);
    sheet.show();
    sheet.Show();
    settle();
    gallery.save(sheet, "tabsheet_first");
    sheet.SetCurSel(1);
    settle();
    gallery.save(sheet, "tabsheet_second");
}

void layouts(Gallery& gallery) {
    QWidget window;
    window.resize(360, 220);
    auto* title = new QLabel(QStringLiteral("请选择本机一个工位："), &window);
    title->setGeometry(10, 10, 160, 18);
    auto* station = new QComboBox(&window);
    station->setGeometry(10, 32, 160, 24);
    station->addItems({QStringLiteral("1工位"), QStringLiteral("3工位")});
    auto* keyword = new QLineEdit(QStringLiteral("FZ"), &window);
    keyword->setGeometry(190, 32, 150, 24);
    auto* list = new CEditListCtrl(&window);
    list->setGeometry(10, 66, 330, 110);
    list->InsertColumn(0, "电压(V)", CEditListCtrl::FormatLeft, 136);
    list->InsertColumn(1, "实际值", CEditListCtrl::FormatLeft, 155);
    list->InsertItem(0, "1.000");
    list->SetItemText(0, 1, "10.0");
    list->SetExtendedStyle(CEditListCtrl::GridLines | CEditListCtrl::FullRowSelect);
    auto* save = new QPushButton(QStringLiteral("保  存"), &window);
    save->setGeometry(260, 186, 80, 26);

    CMoveControl mover;  // the font of loginset.ini in the working directory, if any
    mover.Attach(&window);
    mover.Layout();
    gallery.save(window, "layout_original");
    window.resize(540, 330);
    mover.Layout();
    gallery.save(window, "layout_enlarged");
    window.resize(300, 190);
    mover.Layout();
    gallery.save(window, "layout_reduced");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gallery DIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "gallery: cannot create %s\n", argv[1]);
        return 1;
    }
    Gallery gallery(dir);
    readouts(gallery);
    lists(gallery);
    graphs(gallery);
    tabSheets(gallery);
    layouts(gallery);
    std::printf("gallery: %d pictures in %s\n", gallery.written(), argv[1]);
    return gallery.failed() ? 1 : 0;
}
