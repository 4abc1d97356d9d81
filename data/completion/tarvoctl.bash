# bash completion for tarvoctl. Installed as /usr/share/bash-completion/completions/tarvoctl;
# to try it from a build tree: source data/completion/tarvoctl.bash
#
# tarvoctl itself says what may come next (tarvoctl --complete WORDS... CURRENT), so the
# completion always knows the commands of the tarvoctl that is installed. Where it offers
# nothing (a file, a name), bash completes file names.

_tarvoctl() {
  local program=${COMP_WORDS[0]}
  local current=${COMP_WORDS[COMP_CWORD]}
  local IFS=$'\n'
  COMPREPLY=($("$program" --complete "${COMP_WORDS[@]:1:COMP_CWORD-1}" "$current" 2>/dev/null))
}

complete -o default -F _tarvoctl tarvoctl
