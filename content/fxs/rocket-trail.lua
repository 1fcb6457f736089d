-- fxs/rocket-trail.lua
-- Rocket exhaust smoke, emitted every few units of flight.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/smoke.png");
FXParm ("color_r", 0.55, 0.65);
FXParm ("color_g", 0.55, 0.65);
FXParm ("color_b", 0.55, 0.65);
FXParm ("alpha", 0.5, 0.7);
FXParm ("move_angle", 180);
FXParm ("move_angle_spread", 20);
FXParm ("speed", 5, 15);
FXParm ("scale", 0.25, 0.35);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.8);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.5, 0.8);
