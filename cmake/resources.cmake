# Resource scripts include each dialog's script and ids from beside its class, but windres
# writes no dependency file, so Ninja would not see an edit to an included file. Every .rc
# that includes others names them here, as its OBJECT_DEPENDS:
#   tessary_rc_depends(<script> <file under src/>...)
# (a source-file property: call it in the folder whose targets compile the script).

# What src/resources/tessary.rc includes, the dialogs in its order.
set(TESSARY_RC_INCLUDES
  resources/ids.h resources/frame.rc resources/version.rc resources/tessary.manifest core/dialog_ids.h
  snapshot/backup_dlg.rc snapshot/backup_ids.h
  compare/compare_dlg.rc compare/compare_ids.h
  uninstall/uninstall_dlg.rc uninstall/uninstall_ids.h
  uninstall/list_dlg.rc uninstall/list_ids.h
  uninstall/find_dll_dlg.rc uninstall/find_dll_ids.h
  options/setup_dlg.rc options/setup_ids.h
  options/dirs_dlg.rc options/dirs_ids.h
  options/registry_dlg.rc options/registry_ids.h
  reports/express_dlg.rc reports/express_ids.h
  reports/view_dlg.rc reports/view_ids.h
  shell/about_dlg.rc shell/about_ids.h
  shell/progress_dialog.rc shell/progress_ids.h)

function(tessary_rc_depends script)
  set(files ${ARGN})
  list(TRANSFORM files PREPEND ${PROJECT_SOURCE_DIR}/src/)
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS "${files}")
endfunction()
