#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QDialog>

class QLineEdit;
class Readout;

inline constexpr double kCapacitanceMin = 1e-6;  // µF
inline constexpr double kCapacitanceMax = 100.0;

// The text an edit shows for value: the shortest form that reads back as the
// same double ("0.1", "1e-06", "100").
std::string FormatExchangeDouble(double value);

// An edit's text as a number: blanks around it allowed, otherwise one finite
// decimal number in the C locale ("+1.5", "2e-3"); anything else is nullopt.
std::optional<double> ParseExchangeDouble(std::string_view text);

// The L-meter settings: C1 and C2 in µF beside the oscillator's schematic.
// OK ends the dialog only when both edits hold numbers from 1e-6 to 100.
class CLMeterDlg : public QDialog {
    Q_OBJECT

public:
    explicit CLMeterDlg(QWidget* owner = nullptr);

    double m_dC1 = 0.0;
    double m_dC2 = 0.0;

    // Every way of accepting (OK, Enter, a call) runs the validation first.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // false: fields into the edits. true: edits into the fields, stopping
    // with a message at the first edit that fails; returns whether all passed.
    bool DoDataExchange(bool saveAndValidate);
    bool ExchangeField(QLineEdit* edit, const QString& name, double& field);
    void CreateControls();

    QLineEdit* m_editC1 = nullptr;
    QLineEdit* m_editC2 = nullptr;
};

// The L-meter settings command: runs the dialog with the readout's C1 and C2
// and, on OK, stores both there. Nothing else: no recompute, no redraw, no
// file write (the window saves them at exit).
void OnLMeterSettingsDialog(QWidget* owner, Readout& readout);
