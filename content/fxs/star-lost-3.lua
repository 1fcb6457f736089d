-- fxs/star-lost-3.lua
-- A small puff of star dust.

FXParm ("num_parts", 5);
FXParm ("bitmap", "fxs/star.png");
FXParm ("move_angle_spread", 360);
FXParm ("speed", 30, 60);
FXParm ("dampening_factor", 0.2, 0.4);
FXParm ("scale", 0.2, 0.35);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.4, 0.6);
