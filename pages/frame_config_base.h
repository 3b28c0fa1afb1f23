#pragma once
#include "pages/config_rows.h"
#include "pages/display_format.h"
#include "pages/frame_base.h"

class QLabel;
class QTableWidget;
class QTableWidgetItem;

// The configuration page: a two-column list of captions and values, filled
// from the meter and written back. Works on whatever rows a variant supplies.
class TFrameConfigBase : public TFrameBase {
    Q_OBJECT
public:
    TFrameConfigBase(QWidget* owner, const TConfigRowDef* configRows);

    void Read() override;
    void Write() override;
    void SaveToFile(const QString& fileName) override;
    void LoadFromFile(const QString& fileName) override;
    void PrintTable() override;
    QString GetTitle() const override;

    // Called when the meter refuses the display format being written; raises
    // "Неправильно задан формат отображения".
    virtual void RejectDisplayFormat(const DisplayFormat& format);
    // Rows, title row included, that a loaded configuration table must have.
    virtual int ExpectedRowCount() const = 0;
    // The entries the drop-down of a pick-list row offers; by default its
    // whole pick list.
    virtual QStringList OfferedPickList(int row) const;

    TConfigRows& Rows() { return RowValues; }
    QTableWidget* vleConfig = nullptr;

protected:
    QLabel* NameTable = nullptr;

private:
    void ShowRow(int row);
    void vleConfigItemChanged(QTableWidgetItem* item);
    void vleConfigContextPopup(const QPoint& pos);
    void FillGrid(QTableWidget& grid) const;

    TConfigRows RowValues;
    bool Showing = false;
};

extern const char* const kConfigTitle;  // "Конфигурация электросчетчика"
extern const TPageAction kConfigPageActions[];
