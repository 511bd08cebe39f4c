#pragma once
// The opening picture, also the About box of the main window.

#include <QDialog>

class QLabel;

namespace kelvo {

class TFmSplash : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kLargura = 499;
    static constexpr int kAltura = 350;
    // Drawn 90 % opaque (alpha 230 of 255).
    static constexpr double kOpacidade = 230.0 / 255.0;

    explicit TFmSplash(QWidget *parent = nullptr);

    // The About form: with the mark set a click on the picture closes it; at
    // start-up the mark is not set and a click does nothing.
    void setSobre(bool sobre) { m_sobre = sobre; }
    bool sobre() const { return m_sobre; }

    QString textoVersao() const;
    void centraNaTela();

    // Opens the About form modally over `pai`.
    static void mostraSobre(QWidget *pai);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *m_versao;
    bool m_sobre = false;
};

} // namespace kelvo
