-- fxs/clip-eject.lua
-- An empty magazine dropping from the gun on reload.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/clip.png");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 1, 1);
FXParm ("color_b", 1, 1);
FXParm ("move_angle", 90);
FXParm ("move_angle_spread", 30);
FXParm ("speed", 20, 40);
FXParm ("dampening_factor", 0.05, 0.1);
FXParm ("angle_spread", 40);
FXParm ("angle_rps", 180, 360);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 0.7, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 1.1, 1.3);
