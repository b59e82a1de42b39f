#pragma once
// The system clipboard in plain-text format.
#include <QString>
#include <optional>

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual bool hasText() const = 0;
    // nullopt when the clipboard cannot be read.
    virtual std::optional<QString> text() const = 0;
    virtual void setText(const QString &text) = 0;
};

class QtClipboard : public Clipboard
{
public:
    bool hasText() const override;
    std::optional<QString> text() const override;
    void setText(const QString &text) override;
};
