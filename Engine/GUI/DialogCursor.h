#pragma once
// CDialogCursor: the cross-hair a dialog draws at its cursor. It is an entity of its own so that
// it draws after everything else of the GUI layer (its sort key is below the texts' 0): drawn
// with the panel it would vanish under the buttons and labels it points at.

#include "Engine/Scene/Entity.h"

namespace Tess
{

class CDialog;

class CDialogCursor : public CEntity
{
public:
    // Sort key -1: after the panels and controls (1) and the texts (0).
    static constexpr std::int32_t kSortKey = -1;

    // Draws `dialog`'s cursor with "GUI_rect.fx" in the GUI layer; the dialog owns it.
    explicit CDialogCursor(const CDialog& dialog);
    ~CDialogCursor() override;

    // Queues the cursor, whatever the frustum.
    void Submit(CRenderer& renderer) override;
    // Two opaque cyan lines crossing at the dialog's cursor.
    void Draw(CRenderer& renderer) override;

private:
    const CDialog& m_dialog;
};

} // namespace Tess
