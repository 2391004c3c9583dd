#pragma once
#include <QString>

// The maker of the program as shown in the credits, the information window
// and the start window's website strip.
namespace Maker {

inline QString creditLine()
{
    return QStringLiteral("Officina Modellini Esempio");
}
// The address handed to the browser, and its short form for captions.
inline QString website()
{
    return QStringLiteral("https://www.miniarca.example");
}
inline QString websiteShown()
{
    return QStringLiteral("www.miniarca.example");
}
inline QString supportEmail()
{
    return QStringLiteral("assistenza@miniarca.example");
}

} // namespace Maker
