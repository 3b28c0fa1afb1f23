#pragma once
#include "connection/port.h"

#include <QString>
#include <QWidget>

// A settings panel of one kind of interface: one tab of the connection
// dialog. It shows a transport's settings and writes them back as the
// parameter text of a connection string.
class TPortFace : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual QString FaceCaption() const = 0;
    // The parameter text between the parentheses of a connection string.
    virtual QString FaceParams() const = 0;
    virtual QString FaceKeyword() const = 0;
    // Copies the controls into the settings record; raises TError when a
    // control holds what the record cannot take.
    virtual void ReadControls() = 0;
    virtual TPortType Kind() const = 0;
    // Shows the settings of a transport of the panel's kind.
    virtual void ShowPort(const TPort& port) = 0;

    // The connection being edited is of this panel's kind.
    bool Active = false;
};
