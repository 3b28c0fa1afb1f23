#pragma once
#include "pages/frame_config_base.h"

// The configuration page of the single-phase meters: 19 rows.
class TFrameConfig_1 : public TFrameConfigBase {
    Q_OBJECT
public:
    explicit TFrameConfig_1(QWidget* owner);

    void Read() override;
    void Write() override;
    int ExpectedRowCount() const override { return kExpectedRowCount; }
    QStringList OfferedPickList(int row) const override;

    static const TConfigRowDef ConfigRows[];
    static constexpr int kExpectedRowCount = 20;  // title row and 19 rows
};
