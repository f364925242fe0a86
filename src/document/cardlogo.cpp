#include "cardlogo.h"

#include <algorithm>

double DecodedLogo::aspect() const {
    if (isNull() || size.width() <= 0 || size.height() <= 0)
        return 0;
    return size.height() / size.width();
}

void LoadedLogo::set(const Card& card, DecodedLogo logo) {
    m_path = card.Logo.Path;
    m_logo = std::move(logo);
    m_made = true;
}

void LoadedLogo::clear() {
    m_path.clear();
    m_logo = DecodedLogo();
    m_made = false;
}

double LogoHeight(const CardLogo& logo, double aspect) {
    return logo.Width * aspect;
}

void KeepLogoOnCard(CardLogo& logo, double aspect, double W, double H) {
    double most = std::max(0.0, W - 3);
    if (aspect > 0)
        most = std::min(most, std::max(0.0, H - 3) / aspect);
    logo.Width = std::clamp(logo.Width, 0.0, most);
    const double height = LogoHeight(logo, aspect);
    if (logo.Left + logo.Width + 2 > W)
        logo.Left = W - logo.Width - 2;
    if (logo.Left < 1)
        logo.Left = 1;
    if (logo.Top + height + 2 > H)
        logo.Top = H - height - 2;
    if (logo.Top < 1)
        logo.Top = 1;
}

CardLogo DefaultCardLogo(const QString& path, double aspect, double W, double H) {
    CardLogo logo;
    logo.On = true;
    logo.Path = path;
    logo.Width = DefaultLogoWidth;
    logo.Left = W - DefaultLogoWidth - 2;
    logo.Top = 1;
    KeepLogoOnCard(logo, aspect, W, H);
    return logo;
}
