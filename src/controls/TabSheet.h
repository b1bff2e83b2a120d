#pragma once
// CTabSheet: a tab control owning up to ten pages and showing exactly one of them below its tabs.
// The pages are owned by the caller; the sheet only places, shows and hides them.

#include <QPointer>
#include <QWidget>
#include <array>
#include <string>

class QTabBar;

class CTabSheet : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kMaxPages = 10;

    explicit CTabSheet(QWidget* parent = nullptr);
    ~CTabSheet() override;

    // Registers a page; false when ten pages are already registered.
    bool AddPage(const std::string& title, QWidget* page, int templateId);
    // Makes the registered pages children of the sheet, one tab each in order, shows page 0 and
    // hides the others.
    void Show();
    // Shows page index; ignored when out of range or already current.
    void SetCurSel(int index);
    int GetCurSel() const { return current_; }
    int GetPageCount() const { return count_; }
    QWidget* GetPage(int index) const;
    int GetTemplateId(int index) const;
    QTabBar* TabBar() const { return tabBar_; }
    // Where every page sits: below tab 0, inside the sheet's frame.
    QRect PageRect() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void OnTabChanged(int index);
    void PlacePages();
    void SwitchTo(int index);

    std::array<std::string, kMaxPages> titles_;
    std::array<int, kMaxPages> templates_{};
    std::array<QPointer<QWidget>, kMaxPages> pages_;
    int count_ = 0;
    int current_ = 0;
    bool shown_ = false;
    QTabBar* tabBar_;
};
