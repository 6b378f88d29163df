// The PNG pictures of the game window: the logo, the ten pieces of the hangman
// drawing and the icon of the information panel, painted with QPainter.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSize>

namespace Skin {

// The four gallows pieces share the drawing area of the window (165 x 195 on
// screen); the six pieces of the little man share a smaller area inside it.
enum class GallowsPiece
{
    Bas,
    Coter,
    Pendu,
    Haut
};
enum class FigurePiece
{
    Bras1,
    Bras2,
    Corps,
    Jambe1,
    Jambe2,
    Tete
};

inline constexpr QSize kGallowsSize{165, 195};
inline constexpr QSize kFigureSize{65, 112};
// Where the little man's area lies inside the gallows area, on screen.
inline constexpr QPointF kFigureOffset{56, 19};
inline constexpr QSize kLogoSize{208, 88};
inline constexpr QSize kInfoIconSize{80, 80};

QImage paintGallowsPiece(GallowsPiece piece);
QImage paintFigurePiece(FigurePiece piece);
QImage paintLogo();
QImage paintInfoIcon();

// The little crow of the game, standing with its feet at `feet`, `height`
// units tall, looking right or left.
void paintCrow(QPainter& painter, QPointF feet, qreal height, bool facingRight);

// The crow in a round cream badge of `radius` units around `centre`: the
// information panel's icon and the program's icon.
void paintCrowBadge(QPainter& painter, QPointF centre, qreal radius);

} // namespace Skin
